// Names typed as Unicode become the receiver's single bytes (Windows-1252) and come back the
// same; what the set cannot hold is refused by name, never turned into '?'.
#include "edit/edit_error.h"
#include "edit/receiver_text.h"

#include <gtest/gtest.h>

#include <string>

namespace bv3::edit {
namespace {

TEST(ReceiverText, TypedTextBecomesOneBytePerCharacterAndComesBackTheSame) {
    struct Case {
        const char* utf8;
        std::string bytes;
    };
    const Case cases[] = {
        {"Lumen", "Lumen"},
        {"S\xC3\xB8ren", "S\xF8ren"},                       // ø, Latin-1 range
        {"\xE2\x82\xAC 5 \xE2\x80\x93 Arte", "\x80 5 \x96 Arte"},  // € and –, 0x80..0x9F range
        {"\xC5\xA0ou", "\x8Aou"},                             // Š
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(receiverTextFromUtf8(c.utf8), c.bytes);
        EXPECT_EQ(utf8FromReceiverText(c.bytes), c.utf8);
    }
    // Every byte a receiver's name can hold shows as one character and converts back to itself.
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    EXPECT_EQ(receiverTextFromUtf8(utf8FromReceiverText(all)), all);
}

TEST(ReceiverText, WhatTheSetCannotHoldIsRefusedByName) {
    const auto refusal = [](const std::string& utf8) {
        try {
            receiverTextFromUtf8(utf8);
        } catch (const EditError& refused) {
            return std::string(refused.what());
        }
        return std::string("(converted)");
    };
    EXPECT_EQ(refusal("Snow \xE2\x98\x83"),
              "\"Snow \xE2\x98\x83\" holds '\xE2\x98\x83' (U+2603), which the receiver's character set "
              "(Windows-1252) cannot hold");
    EXPECT_NE(refusal("\xF0\x9F\x93\xBA TV").find("(U+1F4FA)"), std::string::npos);
    EXPECT_NE(refusal("cut \xC3").find("is not UTF-8 text (at byte 5)"), std::string::npos);
    EXPECT_NE(refusal("\xC0\xAF").find("is not UTF-8 text"), std::string::npos);  // an overlong '/'
}

}  // namespace
}  // namespace bv3::edit
