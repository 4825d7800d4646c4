#include "channeldb/qnf_reader.h"

#include "channeldb/conversion_error.h"
#include "channeldb/file_input.h"
#include "channeldb/qnf_scanner.h"
#include "channeldb/quoted_text.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <limits>
#include <optional>
#include <sstream>
#include <type_traits>
#include <utility>

namespace bv3::channeldb {

namespace {

// The receiver software's text-to-integer rule: leading spaces, an optional sign, then
// decimal digits within the signed 32-bit range, or hexadecimal after "$", "x", "X", "0x"
// or "0X" up to FFFFFFFF (the sign is not applied to it). Nothing may follow.
std::optional<std::int32_t> toInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    std::string_view rest = text.substr(i);
    bool hex = false;
    if (rest.starts_with("0x") || rest.starts_with("0X")) {
        rest.remove_prefix(2), hex = true;
    } else if (rest.starts_with("$") || rest.starts_with("x") || rest.starts_with("X")) {
        rest.remove_prefix(1), hex = true;
    }
    if (rest.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : rest) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (hex && c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else if (hex && c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else {
            return std::nullopt;
        }
        value = value * (hex ? 16 : 10) + digit;
        if (value > 0xFFFFFFFFull) {
            return std::nullopt;
        }
    }
    if (hex) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    }
    const std::uint64_t limit = negative ? 2147483648ull : 2147483647ull;
    if (value > limit) {
        return std::nullopt;
    }
    const auto magnitude = static_cast<std::int64_t>(value);
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

// Digits with an optional sign and leading spaces: a number, whatever its size.
bool isDecimalNumber(std::string_view text) {
    const std::size_t start = text.find_first_not_of(' ');
    if (start == std::string_view::npos) {
        return false;
    }
    text.remove_prefix(start);
    if (text.starts_with('-') || text.starts_with('+')) {
        text.remove_prefix(1);
    }
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// "4294967295", the value the antenna column's fallback stores, however it is written.
bool isAllOnesDecimal(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" +0");
    return start != std::string_view::npos && text.substr(start) == "4294967295" &&
           text.find('-') == std::string_view::npos;
}

class QnfReader {
public:
    QnfReader(std::string_view text, ChannelDatabase& db, const std::string& fileName,
              MenuLine menuLine = MenuLine::required, std::vector<NumberOutOfRange>* outOfRange = nullptr)
        : lines_(text), db_(db), fileName_(fileName), menuLine_(menuLine), outOfRange_(outOfRange) {}

    void run() {
        const auto first = lines_.header();
        if (!first || *first != qnfHeaderLine) {
            if (first && first->starts_with(std::string(qnfHeaderLine) + "\n")) {
                throw CorruptQnfHeader(fileName_, "the lines end in LF where CR LF is required");
            }
            throw CorruptQnfHeader(fileName_);
        }
        while (const auto line = lines_.next()) {
            readDataLine(*line);
        }
        if (!menuRead_ && menuLine_ == MenuLine::required) {
            throw IncompleteQnf(fileName_, lines_.lineNumber());
        }
        db_.tsCount = static_cast<std::uint16_t>(tsRead_);
        db_.networkCount = static_cast<std::uint16_t>(networksRead_);
        db_.providerCount = static_cast<std::uint16_t>(providersRead_);
    }

private:
    // ---- columns of the current line ----

    void startLine(std::string_view line) {
        rest_ = line;
        column_ = 0;
    }

    std::string_view nextColumn() {
        ++column_;
        if (rest_.empty()) {
            return "0";
        }
        const std::size_t tab = rest_.find('\t');
        if (tab == std::string_view::npos) {
            return std::exchange(rest_, std::string_view());
        }
        const std::string_view column = rest_.substr(0, tab);
        rest_.remove_prefix(tab + 1);
        return column;
    }

    std::string_view remainingText() {
        ++column_;
        return std::exchange(rest_, std::string_view());
    }

    [[noreturn]] void fail(const std::string& reason) const {
        throw ConversionError(fileName_ + ": line " + std::to_string(lines_.lineNumber()) + ", column " +
                                  std::to_string(column_) + ": " + reason,
                              fileName_);
    }

    [[noreturn]] void refuse(const std::string& reason) const {
        throw ConversionError(fileName_ + ": line " + std::to_string(lines_.lineNumber()) + ": " + reason, fileName_);
    }

    std::int32_t integer(std::string_view text) const {
        const auto value = toInteger(text);
        if (!value) {
            fail("'" + quotedText(text) + "' is not a number");
        }
        return *value;
    }

    template <class Field>
    void store(Field& field, std::int32_t value) {
        // Fields keep the low-order bits of the integer, as the receiver software stores them.
        field = static_cast<Field>(static_cast<std::make_unsigned_t<Field>>(static_cast<std::uint32_t>(value)));
    }

    // Stores the number the text gives, noting it when the field cannot hold it.
    template <class Field>
    void storeText(Field& field, std::string_view text, std::int32_t value) {
        store(field, value);
        if (outOfRange_ == nullptr || fits<Field>(text, value)) {
            return;
        }
        using Limits = std::numeric_limits<Field>;
        outOfRange_->push_back({lines_.lineNumber(), column_, quotedText(text),
                                std::to_string(+Limits::min()) + " to " + std::to_string(+Limits::max()),
                                std::to_string(+field)});
    }

    // Whether a field keeps the number whole. A hexadecimal text is a bit pattern: "$FFFF"
    // fits a 16-bit field of either sign. A 32-bit field holds every number the reader takes,
    // except a negative one in an unsigned field.
    template <class Field>
    static bool fits(std::string_view text, std::int32_t value) {
        const std::size_t start = text.find_first_not_of(' ');
        const std::string_view digits = start == std::string_view::npos ? text : text.substr(start);
        const bool negative = digits.starts_with('-');
        const bool hex = digits.find_first_of("$xX") != std::string_view::npos;
        if constexpr (sizeof(Field) >= 4) {
            return std::is_signed_v<Field> || !negative || value == 0;
        } else {
            using Limits = std::numeric_limits<Field>;
            using Unsigned = std::make_unsigned_t<Field>;
            if (hex && !negative) {
                return value >= 0 && value <= std::numeric_limits<Unsigned>::max();
            }
            return value >= Limits::min() && value <= Limits::max();
        }
    }

    template <class Field>
    void integerColumn(Field& field) {
        const std::string_view text = nextColumn();
        storeText(field, text, integer(text));
    }

    // Columns whose text of 7 or more characters means 0.
    template <class Field>
    void shortIntegerColumn(Field& field) {
        const std::string_view text = nextColumn();
        if (text.size() >= 7) {
            store(field, 0);
        } else {
            storeText(field, text, integer(text));
        }
    }

    // ---- sections ----

    void readDataLine(const QnfDataLine& data) {
        const std::string_view line = data.text;
        startLine(line);
        switch (data.section) {
            case QnfSection::None:
                break;
            case QnfSection::Antenna:
                readAntenna();
                break;
            case QnfSection::Ts:
                readTs();
                break;
            case QnfSection::Network:
                readNetwork(line);
                break;
            case QnfSection::Provider:
                readProvider(line);
                break;
            case QnfSection::Favourite:
                readFavourite();
                break;
            case QnfSection::Service:
                readService();
                break;
            case QnfSection::Menu:
                readMenu();
                break;
        }
    }

    void readAntenna() {
        const std::int32_t position = integer(nextColumn());
        if (position < 0 || static_cast<std::size_t>(position) >= antennaCount) {
            fail("antenna position " + std::to_string(position) + " is outside 0 to 15");
        }
        AntennaRecord& a = db_.antennas[static_cast<std::size_t>(position)];
        const std::string_view antLongText = nextColumn();
        const auto antLong = toInteger(antLongText);
        a.antLong = antLong && *antLong != 0 ? static_cast<std::uint32_t>(*antLong) : 0xFFFFFFFFu;
        // A decimal number the reader cannot take (the lists write this column unsigned, up to
        // 4294967295) is not the "no value" the fallback stands for, unless it is that value.
        if (!antLong && outOfRange_ != nullptr && isDecimalNumber(antLongText) &&
            !isAllOnesDecimal(antLongText)) {
            outOfRange_->push_back({lines_.lineNumber(), column_, quotedText(antLongText), "0 to 4294967295",
                                    std::to_string(a.antLong)});
        }
        integerColumn(a.antWordA);
        integerColumn(a.antWordB);
        integerColumn(a.antByteA);
        integerColumn(a.antByteB);
        integerColumn(a.antByteC);
        integerColumn(a.antByteD);
        // The field holds 16 characters; a shorter name is NUL-padded so nothing of an
        // earlier line for the same antenna survives.
        const std::string_view name = remainingText();
        a.antName.fill('\0');
        std::copy_n(name.begin(), std::min(name.size(), antennaNameLength), a.antName.begin());
    }

    void readTs() {
        if (tsRead_ >= tsCapacity) {
            refuse("more than " + std::to_string(tsCapacity) + " TS records");
        }
        TsRecord& t = db_.transportStreams[tsRead_];
        integerColumn(t.tsWordC);
        shortIntegerColumn(t.networkIndex);
        shortIntegerColumn(t.tsLongA);
        integerColumn(t.tsLongB);
        integerColumn(t.tsByteA);
        integerColumn(t.tsByteB);
        integerColumn(t.tsWordA);
        const std::string_view wordBText = remainingText();
        const auto wordB = toInteger(wordBText);
        storeText(t.tsWordB, wordBText, wordB.value_or(0));
        ++tsRead_;
    }

    void readNetwork(std::string_view line) {
        if (networksRead_ >= networkCapacity) {
            refuse("more than " + std::to_string(networkCapacity) + " networks");
        }
        db_.networks[networksRead_++].netName = clipName(line);
    }

    void readProvider(std::string_view line) {
        if (providersRead_ >= providerCapacity) {
            refuse("more than " + std::to_string(providerCapacity) + " providers");
        }
        db_.providers[providersRead_++].provName = clipName(line);
    }

    void readFavourite() {
        const std::int32_t group = integer(nextColumn());
        if (group < 0 || static_cast<std::size_t>(group) >= favouriteGroupCount) {
            fail("favourite group " + std::to_string(group) + " is neither 0 (video) nor 1 (audio)");
        }
        const std::int32_t list = integer(nextColumn());
        if (list < 0 || static_cast<std::size_t>(list) >= favouriteListsPerGroup) {
            fail("favourite list " + std::to_string(list) + " is outside 0 to 3");
        }
        const std::string_view numberText = remainingText();
        const std::int32_t number = integer(numberText);
        const auto g = static_cast<std::size_t>(group);
        const auto l = static_cast<std::size_t>(list);
        std::uint16_t& count = db_.favCount[g][l];
        if (count >= favouriteEntryCapacity) {
            refuse("favourite list " + std::to_string(group) + "/" + std::to_string(list) + " has more than " +
                   std::to_string(favouriteEntryCapacity) + " entries");
        }
        storeText(db_.favEntry[g][l][count], numberText, number);
        ++count;
    }

    void readService() {
        if (db_.serviceCount() >= serviceCapacity) {
            refuse("more than " + std::to_string(serviceCapacity) + " services");
        }
        ServiceRecord& s = db_.services[db_.serviceCount()];
        s.serviceKind = nextColumn() == "V" ? 0 : 1;
        integerColumn(s.svcWordA);
        integerColumn(s.svcWordB);
        integerColumn(s.svcWordC);
        integerColumn(s.svcWordD);
        integerColumn(s.svcWordG);
        integerColumn(s.svcNibble);
        s.svcFlag3 = nextColumn() == "TRUE" ? 1 : 0;
        s.svcFlag1 = nextColumn() == "TRUE" ? 1 : 0;
        s.svcFlag0 = nextColumn() == "FALSE" ? 0 : 1;
        integerColumn(s.tsIndex);
        integerColumn(s.providerIndex);
        s.svcName = clipName(nextColumn());
        const std::string_view numberText = remainingText();
        storeText(s.channelNumber, numberText, toInteger(numberText).value_or(0));
        ++(s.serviceKind == 0 ? db_.videoCount : db_.audioCount);
    }

    void readMenu() {
        menuRead_ = true;
        // Each menu line overwrites the one menu record: the last one in the file counts.
        std::size_t column = 0;
        forEachMenuValue(db_.menu, [&](auto& field) {
            const bool last = ++column == menuValueCount;
            const std::string_view text = last ? remainingText() : nextColumn();
            storeText(field, text, integer(text));
        });
    }

    QnfScanner lines_;
    ChannelDatabase& db_;
    const std::string& fileName_;
    MenuLine menuLine_;
    std::size_t tsRead_ = 0;
    std::size_t networksRead_ = 0;
    std::size_t providersRead_ = 0;
    bool menuRead_ = false;
    std::vector<NumberOutOfRange>* outOfRange_;
    std::string_view rest_;
    std::size_t column_ = 0;
};

}  // namespace

namespace {

[[noreturn]] void refuseTooLarge(const std::string& fileName, const std::string& size) {
    throw ConversionError(fileName + ": " + size + " is larger than any channel list can be (" +
                              std::to_string(maxQnfFileSize) + " bytes)",
                          fileName);
}

}  // namespace

Finding outOfRangeFinding(const NumberOutOfRange& number) {
    Finding finding;
    finding.severity = Severity::Error;
    finding.line = number.line;
    finding.where = "line " + std::to_string(number.line) + ", column " + std::to_string(number.column);
    finding.message = number.text + " does not fit this field (" + number.range + "); the receiver would get " +
                      number.stored;
    return finding;
}

void readQnf(std::istream& in, ChannelDatabase& db, const std::string& fileName, MenuLine menuLine,
             std::vector<NumberOutOfRange>* outOfRange) {
    std::string text;
    char buffer[65536];
    while (in && text.size() <= maxQnfFileSize) {
        in.read(buffer, sizeof buffer);
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        throw ConversionError("cannot read '" + fileName + "'", fileName);
    }
    if (text.size() > maxQnfFileSize) {
        refuseTooLarge(fileName, "the file");
    }
    QnfReader(text, db, fileName, menuLine, outOfRange).run();
}

void refuseOversizedQnfFile(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (!error && size > maxQnfFileSize) {
        refuseTooLarge(path, std::to_string(size) + " bytes");
    }
}

std::string readQnfText(const std::string& path) {
    refuseOversizedQnfFile(path);
    // A file that is not a regular one (a pipe) has no size to ask: read one byte more than
    // the bound and refuse if it came.
    std::string text = readFileBytes(path, maxQnfFileSize + 1);
    if (text.size() > maxQnfFileSize) {
        refuseTooLarge(path, "the file");
    }
    return text;
}

void readQnfFile(const std::string& path, ChannelDatabase& db) {
    const std::string text = readQnfText(path);
    QnfReader(text, db, path).run();
}

}  // namespace bv3::channeldb
