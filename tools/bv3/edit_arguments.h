#pragma once
// The operands of the editing commands' options: rows ("7", "40-45", "3,9,12-14", or "@Name"
// for the first service, provider or network of that name), "A=B" pairs and "A:B:C" fields.
// Each throws CommandFailure naming the option and the text it could not read.

#include "edit/channel_list.h"
#include "edit/service_operations.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace bv3::cli {

struct OptionText {
    std::string option;  // "--rename", for messages
    std::string text;    // its operand as given
};

[[noreturn]] void refuseOperand(const OptionText& given, const std::string& why);

// A number from 0 to max (decimal or 0x-hex).
std::uint32_t operandNumber(const OptionText& given, const std::string& text, std::uint32_t max);
// The text before and after the first `separator`; refused when there is none.
std::pair<std::string, std::string> splitOperand(const OptionText& given, const std::string& text, char separator);
std::vector<std::string> fieldsOf(const std::string& text, char separator);

enum class RowTable { Services, Providers, Networks };
std::size_t operandRow(const OptionText& given, const std::string& text, const edit::ChannelList& list, RowTable table);
std::vector<std::size_t> operandRows(const OptionText& given, const std::string& text, const edit::ChannelList& list);
edit::ServiceGroup operandGroup(const OptionText& given, const std::string& text);
bool operandBool(const OptionText& given, const std::string& text);

}  // namespace bv3::cli
