#include "edit/channel_list.h"

#include "channeldb/conversion_error.h"
#include "channeldb/file_input.h"
#include "channeldb/image_check.h"
#include "channeldb/layout.h"
#include "channeldb/qnf_reader.h"
#include "channeldb/qnf_writer.h"
#include "channeldb/raw_reader.h"
#include "compress/stream.h"
#include "edit/edit_error.h"
#include "edit/favourite_reading.h"
#include "edit/list_file_kind.h"
#include "safe_write/safe_write.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <sstream>

namespace bv3::edit {

namespace {

using channeldb::ConversionError;

// A channel list is far below this even at full capacity; a container that claims more is
// not one of ours, and restoring it would only fill memory.
constexpr std::size_t largestListText = 16u << 20;
// The most of any input file that is read: every kind of list fits (a container of the
// largest list is barely larger than its text), and an uploaded image needs far less. A
// stream without an end (/dev/zero, a pipe that never closes) stops here.
constexpr std::size_t largestInput = 2 * channeldb::maxQnfFileSize;

[[noreturn]] void refuseTooLarge(const std::string& path, std::size_t bound) {
    throw ConversionError("cannot read '" + path + "': it is larger than any channel list can be (" +
                              std::to_string(bound) + " bytes)",
                          path);
}

// The bytes of an input, read through one opening (a FIFO can be read only once) and never
// more than largestInput of them.
std::string readInputOnce(const std::string& path) {
    return channeldb::readFileBytes(path, largestInput + 1);
}

void refuseUnknownModel(std::uint8_t modelCode, const std::string& path) {
    if (!channeldb::isKnownModel(modelCode)) {
        throw ConversionError("cannot convert '" + path + "': model code " + std::to_string(modelCode) +
                                  " is not a receiver model this system knows (0 to 5)",
                              path);
    }
}

// Every service gets an identity; every favourite entry remembers the service it names now.
ListState stateOver(std::unique_ptr<channeldb::ChannelDatabase> db) {
    ListState state;
    state.db = std::move(db);
    const std::size_t count = state.db->serviceCount();
    state.serviceIds.resize(count);
    for (std::size_t row = 0; row < count; ++row) {
        state.serviceIds[row] = state.nextServiceId++;
    }
    const FavouriteResolver resolver(*state.db);
    for (std::uint8_t g = 0; g < channeldb::favouriteGroupCount; ++g) {
        for (std::uint8_t l = 0; l < channeldb::favouriteListsPerGroup; ++l) {
            auto& targets = state.favouriteTargets[g][l];
            targets.resize(state.db->favCount[g][l]);
            for (std::size_t i = 0; i < targets.size(); ++i) {
                const auto row = resolver.resolve(g, state.db->favEntry[g][l][i]);
                targets[i] = row ? state.serviceIds[*row] : 0;
            }
        }
    }
    return state;
}

std::string containerText(const std::string& file, const std::string& path) {
    if (file.size() > largestInput) {
        refuseTooLarge(path, largestInput);
    }
    if (file.size() >= compress::containerHeaderSize) {
        std::uint32_t size = 0;
        for (int i = 3; i >= 0; --i) {
            size = (size << 8) | static_cast<unsigned char>(file[4 + static_cast<std::size_t>(i)]);
        }
        if (size > largestListText) {
            throw ConversionError("cannot read '" + path + "': the container says it holds " + std::to_string(size) +
                                      " bytes, more than any channel list",
                                  path);
        }
    }
    compress::Tlzrw1 component;
    component.SetVisible(false);
    compress::TMemoryStream in(std::vector<std::uint8_t>(file.begin(), file.end()));
    compress::TMemoryStream out;
    component.SetUseStream(true);
    component.SetInputStream(&in);
    component.SetOutputStream(&out);
    try {
        component.Decompress();
    } catch (const std::exception& failure) {
        throw ConversionError("cannot read '" + path + "': " + failure.what(), path);
    }
    return std::string(out.Bytes().begin(), out.Bytes().end());
}

// An image read under the wrong model loses services or invents them without a word, so an
// image that fails its integrity checks is refused, naming the models it passes for.
void refuseDamagedImage(std::span<const std::uint8_t> bytes, const std::string& path, std::uint8_t configVariant,
                        std::uint8_t modelCode) {
    const channeldb::CheckReport report = channeldb::checkUploadedImage(bytes, configVariant, modelCode);
    const channeldb::Finding* first = report.firstError();
    if (first == nullptr) {
        return;
    }
    std::size_t errors = 0;
    for (const auto& finding : report.findings) {
        errors += finding.severity == channeldb::Severity::Error ? 1 : 0;
    }
    std::string passing;
    for (std::uint8_t other = 0; other <= channeldb::highestModelCode; ++other) {
        if (other != modelCode && !channeldb::checkUploadedImage(bytes, configVariant, other).hasErrors()) {
            passing += (passing.empty() ? "" : ", ") + std::to_string(other);
        }
    }
    std::string message = path + ": the image fails " + std::to_string(errors) + " integrity check" +
                          (errors == 1 ? "" : "s") + " for model " + std::to_string(modelCode) + " (first: " +
                          channeldb::formatFinding(*first) + ")";
    message += passing.empty() ? "; it is damaged or not an upload of this receiver"
                               : "; it passes them as an image of model " + passing + ": is it from that receiver?";
    throw channeldb::ImageCheckFailure(message, path);
}

}  // namespace

ChannelList::ChannelList(std::uint8_t modelCode)
    : ChannelList(stateOver(std::make_unique<channeldb::ChannelDatabase>()), modelCode) {}

ChannelList::ChannelList(ListState state, std::uint8_t modelCode) : state_(std::move(state)), modelCode_(modelCode) {
    refuseUnknownModel(modelCode, "the list");
    refreshFindings();
}

ChannelList::ChannelList(ChannelList&&) noexcept = default;
ChannelList& ChannelList::operator=(ChannelList&&) noexcept = default;
ChannelList::~ChannelList() = default;

ChannelList ChannelList::fromQnfText(std::string_view text, std::uint8_t modelCode, const std::string& name) {
    refuseUnknownModel(modelCode, name);
    auto db = std::make_unique<channeldb::ChannelDatabase>();
    std::istringstream in{std::string(text)};
    std::vector<channeldb::NumberOutOfRange> outOfRange;
    try {
        channeldb::readQnf(in, *db, name, channeldb::MenuLine::required, &outOfRange);
    } catch (const channeldb::CorruptQnfHeader& corrupt) {
        // The reason the checks give too (LF line ends, a wrong first line), not only the
        // reader's bare words.
        const std::string detail = corrupt.detail();
        throw ConversionError(name + ": " + corrupt.what() + (detail.empty() ? "" : " (" + detail + ")"), name);
    }
    ChannelList list(stateOver(std::move(db)), modelCode);
    for (const auto& number : outOfRange) {
        channeldb::Finding finding = channeldb::outOfRangeFinding(number);
        finding.where = name + ": " + finding.where;
        list.loadFindings_.push_back({std::move(finding), ListPlace{}});
    }
    list.refreshFindings();
    list.adoptLoaded(ListOrigin::QnfText, name);
    return list;
}

ChannelList ChannelList::fromQnfFile(const std::string& path, std::uint8_t modelCode) {
    refuseUnknownModel(modelCode, path);
    return fromQnfText(channeldb::readQnfText(path), modelCode, path);
}

ChannelList ChannelList::fromRawImageFile(const std::string& path, std::uint8_t configVariant, std::uint8_t modelCode,
                                          ImageCheck check) {
    refuseUnknownModel(modelCode, path);
    // Nothing past the service area is ever read, so a huge file is not loaded whole.
    const std::size_t needed = channeldb::layoutFor(modelCode).uploadedServiceOffset + channeldb::maxServiceAreaSize;
    return fromRawImageBytes(channeldb::readFileBytes(path, needed), path, configVariant, modelCode, check);
}

ChannelList ChannelList::fromRawImageBytes(std::string_view file, const std::string& path, std::uint8_t configVariant,
                                           std::uint8_t modelCode, ImageCheck check) {
    refuseUnknownModel(modelCode, path);
    const std::size_t needed = channeldb::layoutFor(modelCode).uploadedServiceOffset + channeldb::maxServiceAreaSize;
    file = file.substr(0, needed);
    auto db = std::make_unique<channeldb::ChannelDatabase>();
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(file.data()), file.size());
    if (check == ImageCheck::Refuse) {
        refuseDamagedImage(bytes, path, configVariant, modelCode);
    }
    channeldb::readRawImage(bytes, configVariant, modelCode, *db);
    ChannelList list(stateOver(std::move(db)), modelCode);
    list.configVariant_ = configVariant;
    list.adoptLoaded(ListOrigin::RawImage, path);
    return list;
}

ChannelList ChannelList::fromContainerFile(const std::string& path, std::uint8_t modelCode) {
    refuseUnknownModel(modelCode, path);
    return fromContainerBytes(readInputOnce(path), path, modelCode);
}

ChannelList ChannelList::fromContainerBytes(const std::string& file, const std::string& path, std::uint8_t modelCode) {
    ChannelList list = fromQnfText(containerText(file, path), modelCode, path);
    list.origin_ = ListOrigin::Container;
    return list;
}

ChannelList ChannelList::fromFile(const std::string& path, std::uint8_t modelCode,
                                  std::optional<std::uint8_t> configVariant) {
    refuseUnknownModel(modelCode, path);
    // The file is opened once (a FIFO can be read only once) and its kind told from the bytes read.
    const std::string file = readInputOnce(path);
    switch (listFileKind(file, file.size())) {
    case ListFileKind::Container:
        return fromContainerBytes(file, path, modelCode);
    case ListFileKind::RawImage:
        if (configVariant) {
            if (const auto refusal = shortImageMessage(path, file.size())) {
                throw ConversionError(*refusal, path);
            }
            return fromRawImageBytes(file, path, *configVariant, modelCode);
        }
        if (file.size() > channeldb::maxQnfFileSize) {
            refuseTooLarge(path, channeldb::maxQnfFileSize);
        }
        throw ConversionError("'" + path + "' is a receiver image: give its model and configuration variant", path);
    case ListFileKind::QnfText:
        break;
    }
    if (file.size() > channeldb::maxQnfFileSize) {
        refuseTooLarge(path, channeldb::maxQnfFileSize);
    }
    return fromQnfText(file, modelCode, path);
}

ChannelList ChannelList::fromDatabase(const channeldb::ChannelDatabase& db, std::uint8_t modelCode) {
    return ChannelList(stateOver(std::make_unique<channeldb::ChannelDatabase>(db)), modelCode);
}

void ChannelList::adoptLoaded(ListOrigin origin, std::string path) {
    origin_ = origin;
    originPath_ = std::move(path);
}

std::string ChannelList::qnfText() const {
    return channeldb::formatQnf(*state_.db);
}

void ChannelList::saveQnf(const std::string& path) {
    channeldb::writeQnfFile(path, *state_.db);
    forgetLoadFindings();
    savedSerial_ = history_.stateSerial();
    adoptLoaded(ListOrigin::QnfText, path);
    notify({ChangeCause::Saved, {}, {}});
}

void ChannelList::saveContainer(const std::string& path, compress::TCompressMode mode) {
    const std::string text = qnfText();
    compress::Tlzrw1 component;
    component.SetVisible(false);
    compress::TMemoryStream in(std::vector<std::uint8_t>(text.begin(), text.end()));
    compress::TMemoryStream out;
    component.SetUseStream(true);
    component.SetInputStream(&in);
    component.SetOutputStream(&out);
    component.SetCompressMode(mode);
    try {
        component.Compress();
    } catch (const std::exception& failure) {
        throw safewrite::SafeWriteError(path, failure.what());
    }
    safewrite::writeFileSafely(path, std::span<const std::uint8_t>(out.Bytes()));
    forgetLoadFindings();
    savedSerial_ = history_.stateSerial();
    adoptLoaded(ListOrigin::Container, path);
    notify({ChangeCause::Saved, {}, {}});
}

void ChannelList::setModelCode(std::uint8_t modelCode) {
    if (!channeldb::isKnownModel(modelCode)) {
        throw EditError("model code " + std::to_string(modelCode) +
                        " is not a receiver model this system knows (0 to 5)");
    }
    modelCode_ = modelCode;
    refreshFindings();
    notify({ChangeCause::Model, {}, {}});
}

void ChannelList::markRestored(ListOrigin origin, std::string path, std::optional<std::uint8_t> configVariant) {
    adoptLoaded(origin, std::move(path));
    configVariant_ = configVariant;
    // No state of the history is the one a file holds.
    savedSerial_ = std::numeric_limits<std::uint64_t>::max();
}

bool ChannelList::isDirty() const {
    return groupDepth_ > 0 || history_.stateSerial() != savedSerial_;
}

std::optional<std::size_t> ChannelList::rowOf(ServiceId id) const {
    const auto found = std::find(state_.serviceIds.begin(), state_.serviceIds.end(), id);
    if (id == 0 || found == state_.serviceIds.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(found - state_.serviceIds.begin());
}

bool ChannelList::hasErrors() const {
    return std::any_of(findings_.begin(), findings_.end(),
                       [](const ListFinding& f) { return f.finding.severity == channeldb::Severity::Error; });
}

bool ChannelList::undo() {
    if (groupDepth_ > 0) {
        throw EditError("a grouped edit is still open: finish it before undoing");
    }
    if (!history_.canUndo()) {
        return false;
    }
    const EditStep& step = history_.stepBack();
    TableSet tables;
    for (auto action = step.actions.rbegin(); action != step.actions.rend(); ++action) {
        revertAction(*action, state_);
        tables |= tablesOf(*action);
    }
    refreshFindings();
    notify({ChangeCause::Undo, tables, step.description});
    return true;
}

bool ChannelList::redo() {
    if (groupDepth_ > 0) {
        throw EditError("a grouped edit is still open: finish it before redoing");
    }
    if (!history_.canRedo()) {
        return false;
    }
    const EditStep& step = history_.stepForward();
    TableSet tables;
    for (const EditAction& action : step.actions) {
        applyAction(action, state_);
        tables |= tablesOf(action);
    }
    refreshFindings();
    notify({ChangeCause::Redo, tables, step.description});
    return true;
}

void ChannelList::beginGroup(std::string description) {
    if (groupDepth_++ == 0) {
        openGroup_ = EditStep{std::move(description), {}, 0};
        openGroupTables_ = {};
    }
}

void ChannelList::endGroup() {
    if (groupDepth_ == 0) {
        return;
    }
    if (--groupDepth_ == 0 && !openGroup_.actions.empty()) {
        openGroup_.serial = history_.nextSerial();
        history_.push(std::move(openGroup_));
        openGroup_ = {};
    }
}

std::size_t ChannelList::subscribe(ChangeListener listener) {
    const std::size_t handle = nextListener_++;
    listeners_.emplace(handle, std::move(listener));
    return handle;
}

void ChannelList::unsubscribe(std::size_t handle) {
    listeners_.erase(handle);
}

void ChannelList::record(std::string description, std::vector<EditAction> actions) {
    TableSet tables;
    for (const EditAction& action : actions) {
        tables |= tablesOf(action);
    }
    if (groupDepth_ > 0) {
        std::move(actions.begin(), actions.end(), std::back_inserter(openGroup_.actions));
        openGroupTables_ |= tables;
    } else {
        history_.push(EditStep{description, std::move(actions), history_.nextSerial()});
    }
    refreshFindings();
    notify({ChangeCause::Edit, tables, std::move(description)});
}

// Once saved, the file holds the values the list holds: what the loaded text said and the
// list could not hold is no longer anywhere.
void ChannelList::forgetLoadFindings() {
    if (!loadFindings_.empty()) {
        loadFindings_.clear();
        refreshFindings();
    }
}

void ChannelList::refreshFindings() {
    findings_ = loadFindings_;
    for (ListFinding& finding : findListFindings(state_, modelCode_)) {
        findings_.push_back(std::move(finding));
    }
}

void ChannelList::notify(const ListChange& change) {
    // A listener may unsubscribe itself while it is called.
    const auto listeners = listeners_;
    for (const auto& [handle, listener] : listeners) {
        listener(change);
    }
}

}  // namespace bv3::edit
