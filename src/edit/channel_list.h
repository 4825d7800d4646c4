#pragma once
// ChannelList: the document an editor works on. One channel database together with the
// receiver model (and, for an uploaded image, the configuration variant) it belongs to, where
// it came from, whether it holds unsaved changes, its undo history and the findings of the
// channel-list checks for its model, kept current after every change.
//
// Every change goes through an operation (service_operations.h, table_operations.h,
// favourite_operations.h, menu_operations.h, reference_order.h, duplicates.h). The data is
// read-only from outside.

#include "channeldb/channel_database.h"
#include "channeldb/check_findings.h"
#include "compress/lzrw1.h"
#include "edit/edit_action.h"
#include "edit/history.h"
#include "edit/list_change.h"
#include "edit/list_findings.h"
#include "edit/list_state.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bv3::edit {

enum class ListOrigin : std::uint8_t {
    New,        // an empty list made in memory
    QnfText,    // a QNF text file
    RawImage,   // an image uploaded from the receiver
    Container,  // a compressed QNF container ("!HZL" or "WRZL")
};

// Whether loading an uploaded image refuses one that fails its integrity checks.
enum class ImageCheck { Refuse, Accept };

using ChangeListener = std::function<void(const ListChange&)>;

class ChannelList {
public:
    // An empty list (no services, 16 zero antennas, a zero menu) for modelCode.
    explicit ChannelList(std::uint8_t modelCode);
    ChannelList(ChannelList&&) noexcept;
    ChannelList& operator=(ChannelList&&) noexcept;
    ChannelList(const ChannelList&) = delete;
    ChannelList& operator=(const ChannelList&) = delete;
    ~ChannelList();

    // Loading. Each throws channeldb::ConversionError with the message the conversions give
    // for the same file ("FILE: Corrupt data table.." for a text without the header), and for
    // a modelCode above 5; there is then no document.
    static ChannelList fromQnfFile(const std::string& path, std::uint8_t modelCode);
    static ChannelList fromQnfText(std::string_view text, std::uint8_t modelCode, const std::string& name);
    // An uploaded image is checked for the model first (image_check.h): one that fails the
    // checks is refused (channeldb::ImageCheckFailure, naming the models it passes for),
    // unless check is ImageCheck::Accept, for a person who was asked and wants it anyway.
    static ChannelList fromRawImageFile(const std::string& path, std::uint8_t configVariant, std::uint8_t modelCode,
                                        ImageCheck check = ImageCheck::Refuse);
    static ChannelList fromContainerFile(const std::string& path, std::uint8_t modelCode);
    // The same over a file's bytes already read; path names it in messages.
    static ChannelList fromRawImageBytes(std::string_view file, const std::string& path, std::uint8_t configVariant,
                                         std::uint8_t modelCode, ImageCheck check = ImageCheck::Refuse);
    static ChannelList fromContainerBytes(const std::string& file, const std::string& path, std::uint8_t modelCode);
    // Tells the kind by size and content (list_file_kind.h). An uploaded image needs
    // configVariant; without it, or when it is shorter than an upload, it is refused with a
    // message that says so. The file is opened once (a FIFO can be read only once) and at
    // most 16 MiB of it read, so a stream without an end (/dev/zero) is refused, not read forever.
    static ChannelList fromFile(const std::string& path, std::uint8_t modelCode,
                                std::optional<std::uint8_t> configVariant = std::nullopt);
    // A document over a database made elsewhere (tests, benchmarks).
    static ChannelList fromDatabase(const channeldb::ChannelDatabase& db, std::uint8_t modelCode);

    // Saving, through the one safe-write helper: a temporary beside path, renamed over it when
    // complete. Throws safewrite::SafeWriteError naming the file and the reason; the file and
    // the list's dirty flag and origin are then as they were. A warning never stops a save. On
    // success the list is clean and path becomes its origin.
    void saveQnf(const std::string& path);
    void saveContainer(const std::string& path, compress::TCompressMode mode = compress::TCompressMode::Good);
    // The QNF text the list saves as.
    std::string qnfText() const;

    const channeldb::ChannelDatabase& database() const { return *state_.db; }
    std::uint8_t modelCode() const { return modelCode_; }
    // Changes the model the list is checked against (0 to 5); the data stays, the findings
    // follow. Not an edit: it is not undone and does not make the list dirty.
    void setModelCode(std::uint8_t modelCode);
    std::optional<std::uint8_t> configVariant() const { return configVariant_; }
    // The configuration variant the list is sent with (a text names none). Not an edit.
    void setConfigVariant(std::uint8_t configVariant) { configVariant_ = configVariant; }
    const std::string& originPath() const { return originPath_; }
    ListOrigin origin() const { return origin_; }
    bool isDirty() const;
    // Makes this list one restored from a recovery copy: it came from origin at path (with the
    // image's configuration variant, if any) and holds changes no file has, so it stays dirty,
    // whatever is undone, until it is saved.
    void markRestored(ListOrigin origin, std::string path, std::optional<std::uint8_t> configVariant);

    // The identity of the service at a row: stays with the service as it moves, never reused.
    ServiceId serviceId(std::size_t row) const { return state_.serviceIds.at(row); }
    // The row of a service, if it is still in the list.
    std::optional<std::size_t> rowOf(ServiceId id) const;
    // The services a favourite entry named when it entered its list (0 when it named none),
    // in entry order.
    const std::vector<ServiceId>& favouriteTargets(std::uint8_t group, std::uint8_t list) const {
        return state_.favouriteTargets.at(group).at(list);
    }

    // Whether an operation that changes which service a favourite entry names rewrites the
    // entry so that it keeps naming its service (on by default), or leaves the raw entries as
    // they are (the findings then report each entry that turned to another service). Not an
    // edit: it is not undone and does not make the list dirty.
    bool favouritesFollowServices() const { return favouritesFollow_; }
    void setFavouritesFollowServices(bool follow) { favouritesFollow_ = follow; }

    // Findings of the channel-list checks for the model, and of the favourite entries that no
    // longer name the service they named. Current after every change; computed from the
    // tables, except for the numbers of the loaded text that their fields could not hold (the
    // list keeps what the receiver would get), which stay until the list is saved.
    const std::vector<ListFinding>& findings() const { return findings_; }
    bool hasErrors() const;

    // Undo and redo. undo() and redo() return false when there is nothing to take back or do
    // again; both throw EditError while a group is open.
    bool canUndo() const { return groupDepth_ == 0 && history_.canUndo(); }
    bool canRedo() const { return groupDepth_ == 0 && history_.canRedo(); }
    std::string undoText() const { return history_.undoText(); }
    std::string redoText() const { return history_.redoText(); }
    bool undo();
    bool redo();
    const History& history() const { return history_; }

    // Grouping: every operation between beginGroup and the matching endGroup becomes one step
    // of the history with the group's description (groups nest; the outermost names the step).
    void beginGroup(std::string description);
    void endGroup();

    // Change notification: listener is called after every change, with what it touched.
    // Returns a handle for unsubscribe().
    std::size_t subscribe(ChangeListener listener);
    void unsubscribe(std::size_t handle);

    // For the operations, which change it only through a Transaction (transaction.h).
    const ListState& state() const { return state_; }

private:
    friend class Transaction;

    ChannelList(ListState state, std::uint8_t modelCode);
    void adoptLoaded(ListOrigin origin, std::string path);
    ListState& mutableState() { return state_; }
    // Takes the applied actions of one operation into the history (or the open group).
    void record(std::string description, std::vector<EditAction> actions);
    void refreshFindings();
    void forgetLoadFindings();
    void notify(const ListChange& change);

    ListState state_;
    std::uint8_t modelCode_ = 0;
    std::optional<std::uint8_t> configVariant_;
    std::string originPath_;
    ListOrigin origin_ = ListOrigin::New;
    History history_;
    std::uint64_t savedSerial_ = 0;
    bool favouritesFollow_ = true;

    int groupDepth_ = 0;
    EditStep openGroup_;
    TableSet openGroupTables_;

    std::vector<ListFinding> findings_;
    // Findings about the text the list was loaded from (numbers its fields could not hold),
    // kept until the list is saved.
    std::vector<ListFinding> loadFindings_;
    std::map<std::size_t, ChangeListener> listeners_;
    std::size_t nextListener_ = 1;
};

// Opens a group for its lifetime: every operation while it lives is one step of the history.
class EditGroup {
public:
    EditGroup(ChannelList& list, std::string description) : list_(list) { list_.beginGroup(std::move(description)); }
    ~EditGroup() { list_.endGroup(); }
    EditGroup(const EditGroup&) = delete;
    EditGroup& operator=(const EditGroup&) = delete;

private:
    ChannelList& list_;
};

}  // namespace bv3::edit
