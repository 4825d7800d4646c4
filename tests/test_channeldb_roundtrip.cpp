// The round trip of a channel list through a receiver, as a property over generated
// databases for every model (0..5) and configuration variant (0..5):
//
//   database -> raw writer -> images -> complemented into an uploaded file -> raw reader
//   -> QNF text -> QNF reader -> database -> raw writer -> the same two images.
//
// The generator draws only what a receiver can hold and the text can carry, so the database
// read back must equal the generated one field for field. What it leaves out, and why:
//  - svcWordE, svcWordF, svcFlag2, svcByteA, svcByteB, tsWordD, tsWordE, netWordA, netWordB,
//    menuHeaderWord, menuChecksumWord and the menu extras: the text does not carry them (the
//    writer puts fixed values or 0 in their place), so they stay 0.
//  - svcNibble is 0 except for models 1 and 4: the others store 0 in its bits.
//  - channelNumber: models 0, 1 and 2 do not store it (0). Model 3 does not store it either
//    but numbers the services of the provider "PDM" itself, so exactly those are numbered, in
//    that order. Models 4 and 5 store it, and place unnumbered services from slot 100 on, so
//    a list is numbered services first (at most 100 when unnumbered ones follow); lists in
//    another order come back sorted by slot, which is the receiver's order, not ours.
//  - Names are 1 .. 19 characters (29 for model 2) without NUL, TAB, CR, LF, Ctrl-Z or "[":
//    an empty raw name reads as "(Unknown)" and the text has no escapes.
//  - tsLongA below 1000000 (the reader takes a text of 7 or more characters as 0), tsLongB,
//    antLong and every signed menu value within the reader's signed 32-bit range; antLong
//    never 0 (the reader turns 0 into 0xFFFFFFFF).
//  - Menu values by variant: menuValue5 a valid time (minutes below 60); menuValue7 is 0xFF
//    under variants 0 and 5; menuValue8 0 .. 15; (menuValue9, menuValue10) one of (0, 0),
//    (0, 1), (1, 32), (1, 48); menuValue11 0 or 1 under variants 0, 1 and 5; menuValue23,
//    menuValue24 and menuValue25 0 under variant 1 (not stored), menuValue25 within -128 .. 127
//    otherwise (read back from one byte).
//  - Favourite lists beyond the model's count (1 or 4 per group) stay empty.
//  - Model 3 lists hold at most 999 services, so numbered slots never reach slot 999.
#include "channeldb/layout.h"
#include "channeldb/qnf_reader.h"
#include "channeldb/qnf_writer.h"
#include "channeldb/raw_reader.h"
#include "channeldb/raw_writer.h"
#include "channeldb/uploaded_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>
#include <random>
#include <sstream>

using namespace bv3::channeldb;

namespace {

enum class Size { Tiny, Moderate, Full, Random };

class DatabaseGenerator {
public:
    DatabaseGenerator(std::uint32_t seed, std::uint8_t model, std::uint8_t variant)
        : rng_(seed), model_(model), variant_(variant), layout_(layoutFor(model)) {}

    std::unique_ptr<ChannelDatabase> generate(Size size) {
        auto db = std::make_unique<ChannelDatabase>();
        db->tsCount = count(size, tsCapacity);
        db->networkCount = count(size, networkCapacity);
        db->providerCount = count(size, providerCapacity);
        for (std::size_t i = 0; i < db->networkCount; ++i) {
            db->networks[i].netName = name(shortNameLength - 1);
        }
        for (std::size_t i = 0; i < db->providerCount; ++i) {
            db->providers[i].provName = name(shortNameLength - 1);
        }
        for (std::size_t i = 0; i < db->tsCount; ++i) {
            generateTs(*db, db->transportStreams[i]);
        }
        generateServices(*db, size);
        generateFavourites(*db, size);
        for (AntennaRecord& a : db->antennas) {
            generateAntenna(a);
        }
        generateMenu(db->menu);
        return db;
    }

private:
    template <class T>
    T any() {
        return static_cast<T>(
            std::uniform_int_distribution<std::uint64_t>(0, std::numeric_limits<std::make_unsigned_t<T>>::max())(rng_));
    }
    std::int64_t between(std::int64_t low, std::int64_t high) {
        return std::uniform_int_distribution<std::int64_t>(low, high)(rng_);
    }
    bool chance(int percent) { return between(1, 100) <= percent; }

    std::uint16_t count(Size size, std::size_t capacity) {
        switch (size) {
            case Size::Tiny:
                return static_cast<std::uint16_t>(between(0, 3));
            case Size::Moderate:
                return static_cast<std::uint16_t>(between(0, 60));
            case Size::Full:
                return static_cast<std::uint16_t>(capacity);
            case Size::Random:
                break;
        }
        return static_cast<std::uint16_t>(between(0, static_cast<std::int64_t>(capacity)));
    }

    std::string name(std::size_t longest) {
        std::string text;
        do {
            text.clear();
            const auto length = static_cast<std::size_t>(between(1, static_cast<std::int64_t>(longest)));
            for (std::size_t i = 0; i < length; ++i) {
                // Printable ASCII without "[", and the upper half of the ANSI code page.
                char c;
                do {
                    c = chance(85) ? static_cast<char>(between(0x20, 0x7E)) : static_cast<char>(between(0xA0, 0xFF));
                } while (c == '[');
                text.push_back(c);
            }
        } while (text == "PDM");
        return text;
    }

    std::uint32_t reference(std::size_t count) {
        return count == 0 ? 0 : static_cast<std::uint32_t>(between(0, static_cast<std::int64_t>(count) - 1));
    }

    void generateTs(const ChannelDatabase& db, TsRecord& t) {
        t.tsWordA = any<std::uint16_t>();
        t.tsWordB = any<std::uint16_t>();
        t.tsWordC = any<std::uint16_t>();
        t.networkIndex = reference(db.networkCount);
        t.tsLongA = static_cast<std::uint32_t>(between(0, 999999));
        t.tsLongB = static_cast<std::uint32_t>(between(0, std::numeric_limits<std::int32_t>::max()));
        t.tsByteA = any<std::uint8_t>();
        t.tsByteB = any<std::uint8_t>();
    }

    // The list size the model can hold for this many services left.
    std::size_t listLength(Size size, std::size_t left) {
        std::size_t most = std::min<std::size_t>(layout_.listSlots, left);
        if (model_ == 3) {
            most = std::min<std::size_t>(most, 999);
        }
        return size == Size::Full ? most : std::min<std::size_t>(count(size, serviceCapacity), most);
    }

    void generateServices(ChannelDatabase& db, Size size) {
        const std::size_t total = std::min<std::size_t>(serviceCapacity, layout_.serviceCapacity());
        const std::size_t video = listLength(size, chance(50) ? total / 2 : total);
        const std::size_t audio = listLength(size, total - video);
        std::optional<std::size_t> pdm;
        if (model_ == 3 && db.providerCount > 0 && chance(80)) {
            pdm = reference(db.providerCount);
            db.providers[*pdm].provName = "PDM";
        }
        std::size_t row = 0;
        for (std::uint8_t kind = 0; kind < 2; ++kind) {
            const std::size_t length = kind == 0 ? video : audio;
            // Models 4 and 5: numbered services first, at most 100 of them when unnumbered follow.
            std::size_t numbered = static_cast<std::size_t>(between(0, static_cast<std::int64_t>(length)));
            if (numbered < length) {
                // Unnumbered services take slots 100 onward, so at most listSlots - 100 of them.
                const std::size_t unnumberedRoom = layout_.listSlots - 100;
                numbered =
                    std::clamp<std::size_t>(numbered, length > unnumberedRoom ? length - unnumberedRoom : 0, 100);
            }
            std::uint16_t pdmNumber = 1;
            for (std::size_t n = 0; n < length; ++n) {
                ServiceRecord& s = db.services[row++];
                s.serviceKind = kind;
                s.svcWordA = any<std::uint16_t>();
                s.svcWordB = any<std::uint16_t>();
                s.svcWordC = any<std::uint16_t>();
                s.svcWordD = any<std::uint16_t>();
                s.svcWordG = any<std::uint16_t>();
                s.svcNibble = (model_ == 1 || model_ == 4) ? static_cast<std::uint8_t>(between(0, 15)) : 0;
                s.svcFlag3 = chance(50);
                s.svcFlag1 = chance(50);
                s.svcFlag0 = chance(50);
                s.tsIndex = reference(db.tsCount);
                s.providerIndex = reference(db.providerCount);
                s.svcName = name(layout_.serviceNameLength - 1);
                if (model_ == 4 || model_ == 5) {
                    s.channelNumber = n < numbered ? static_cast<std::uint16_t>(between(1, 0xFFFF)) : 0;
                } else if (model_ == 3 && s.providerIndex == pdm) {
                    s.channelNumber = pdmNumber++;
                }
            }
        }
        db.videoCount = static_cast<std::uint16_t>(video);
        db.audioCount = static_cast<std::uint16_t>(audio);
    }

    void generateFavourites(ChannelDatabase& db, Size size) {
        for (std::size_t g = 0; g < favouriteGroupCount; ++g) {
            for (std::size_t l = 0; l < layout_.favouriteListCount; ++l) {
                const std::uint16_t entries = count(size, favouriteEntryCapacity);
                for (std::size_t e = 0; e < entries; ++e) {
                    db.favEntry[g][l][e] = any<std::uint16_t>();
                }
                db.favCount[g][l] = entries;
            }
        }
    }

    void generateAntenna(AntennaRecord& a) {
        a.antLong =
            chance(20) ? 0xFFFFFFFFu : static_cast<std::uint32_t>(between(1, std::numeric_limits<std::int32_t>::max()));
        a.antWordA = any<std::uint16_t>();
        a.antWordB = any<std::uint16_t>();
        a.antByteA = any<std::uint8_t>();
        a.antByteB = any<std::uint8_t>();
        a.antByteC = any<std::uint8_t>();
        a.antByteD = any<std::uint8_t>();
        const std::string text = chance(20) ? std::string() : name(antennaNameLength);
        std::copy(text.begin(), text.end(), a.antName.begin());
    }

    void generateMenu(MenuRecord& m) {
        auto signed32 = [&] { return static_cast<std::int32_t>(any<std::uint32_t>()); };
        forEachMenuValue(m, [&](auto& field) {
            field = static_cast<std::remove_reference_t<decltype(field)>>(any<std::uint32_t>());
        });
        const std::int32_t time = static_cast<std::int32_t>(between(0, 99) * 100 + between(0, 59));
        m.menuValue5 = chance(30) ? -time : time;
        m.menuValue6 = signed32();
        if (variant_ == 0 || variant_ == 5) {
            m.menuValue7 = 0xFF;
        }
        m.menuValue8 = static_cast<std::uint8_t>(between(0, 15));
        static constexpr std::uint8_t pairs[4][2] = {{0, 0}, {0, 1}, {1, 32}, {1, 48}};
        const auto& pair = pairs[between(0, 3)];
        m.menuValue9 = pair[0];
        m.menuValue10 = pair[1];
        if (variant_ == 0 || variant_ == 1 || variant_ == 5) {
            m.menuValue11 = chance(50);
        }
        if (variant_ == 1) {
            m.menuValue23 = 0, m.menuValue24 = 0, m.menuValue25 = 0;
        } else {
            m.menuValue25 = static_cast<std::int16_t>(between(-128, 127));
        }
    }

    std::mt19937 rng_;
    std::uint8_t model_;
    std::uint8_t variant_;
    const LayoutParameters& layout_;
};

struct Images {
    std::vector<std::uint8_t> config;
    std::vector<std::uint8_t> service;
};

Images layOut(const ChannelDatabase& db, std::uint8_t variant, std::uint8_t model) {
    return {buildConfigImage(db, variant, model), buildServiceImage(db, model)};
}

}  // namespace

class RoundTrip : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(RoundTrip, ThroughTheReceiverAndTheTextGivesTheSameImages) {
    const auto model = static_cast<std::uint8_t>(std::get<0>(GetParam()));
    const auto variant = static_cast<std::uint8_t>(std::get<1>(GetParam()));
    const Size sizes[] = {Size::Tiny, Size::Moderate, Size::Full, Size::Random, Size::Random};
    for (std::size_t round = 0; round < std::size(sizes); ++round) {
        const std::uint32_t seed = 1000u * model + 100u * variant + static_cast<std::uint32_t>(round);
        SCOPED_TRACE("seed " + std::to_string(seed));
        const auto generated = DatabaseGenerator(seed, model, variant).generate(sizes[round]);
        const Images first = layOut(*generated, variant, model);

        const auto uploaded = composeUploadedImage(first.config, first.service, model);
        ASSERT_EQ(uploaded.size(), uploadedImageSize);
        auto fromReceiver = std::make_unique<ChannelDatabase>();
        readRawImage(uploaded, variant, model, *fromReceiver);
        const std::string text = formatQnf(*fromReceiver);
        EXPECT_EQ(text, formatQnf(*generated));

        auto fromText = std::make_unique<ChannelDatabase>();
        std::istringstream in(text);
        readQnf(in, *fromText, "roundtrip.qnf");
        EXPECT_TRUE(*fromText == *generated);

        const Images second = layOut(*fromText, variant, model);
        EXPECT_TRUE(second.config == first.config);
        EXPECT_TRUE(second.service == first.service);
        if (HasFailure()) {
            return;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryModelAndVariant, RoundTrip,
                         ::testing::Combine(::testing::Range(0, 6), ::testing::Range(0, 6)), [](const auto& info) {
                             return "model" + std::to_string(std::get<0>(info.param)) + "_variant" +
                                    std::to_string(std::get<1>(info.param));
                         });
