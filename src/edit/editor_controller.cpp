#include "edit/editor_controller.h"

#include "edit/edit_error.h"
#include "edit/favourite_operations.h"

#include <algorithm>

namespace bv3::edit {

ChannelList& EditorController::adopt(ChannelList list) {
    selected_.clear();
    cut_.clear();
    doc_.emplace(std::move(list));
    return *doc_;
}

std::vector<ServiceId> EditorController::idsOf(const std::vector<std::size_t>& rows) const {
    std::vector<ServiceId> ids;
    if (!doc_) {
        return ids;
    }
    for (const std::size_t row : rows) {
        if (row < doc_->database().serviceCount()) {
            ids.push_back(doc_->serviceId(row));
        }
    }
    return ids;
}

std::vector<std::size_t> EditorController::rowsOf(const ChannelList& list, const std::vector<ServiceId>& ids) {
    std::vector<std::size_t> rows;
    for (const ServiceId id : ids) {
        if (const auto row = list.rowOf(id)) {
            rows.push_back(*row);
        }
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void EditorController::select(const std::vector<std::size_t>& rows) {
    selected_ = idsOf(rows);
}

std::vector<std::size_t> EditorController::selectedRows() const {
    return doc_ ? rowsOf(*doc_, selected_) : std::vector<std::size_t>{};
}

std::size_t EditorController::cut(const std::vector<std::size_t>& rows) {
    cut_ = idsOf(rows);
    return cut_.size();
}

std::vector<std::size_t> EditorController::paste(ServiceGroup group, std::size_t position) {
    if (!doc_ || cut_.empty()) {
        return {};
    }
    const auto rows = rowsOf(*doc_, cut_);
    cut_.clear();
    if (rows.empty()) {
        return {};  // every cut service was deleted since
    }
    return drop(group, rows, position);
}

std::size_t EditorController::dropPosition(const channeldb::ChannelDatabase& db, ServiceGroup group,
                                           const std::vector<std::size_t>& rows, std::size_t position) {
    const std::size_t first = group == ServiceGroup::Video ? 0 : db.videoCount;
    const std::size_t before = static_cast<std::size_t>(
        std::count_if(rows.begin(), rows.end(), [&](std::size_t row) { return row < first + position; }));
    return position - std::min(before, position);
}

std::vector<std::size_t> EditorController::drop(ServiceGroup group, const std::vector<std::size_t>& rows,
                                                std::size_t position) {
    if (!doc_ || rows.empty()) {
        return {};
    }
    const auto ids = idsOf(rows);
    moveServices(*doc_, rows, dropPosition(doc_->database(), group, rows, position));
    return rowsOf(*doc_, ids);
}

void EditorController::setCell(RecordType type, const std::vector<std::size_t>& rows, std::size_t field,
                               const std::string& text) {
    if (!doc_) {
        return;
    }
    const RecordField& f = recordFields(type)[field];
    if (f.form == FieldForm::Text) {
        if (rows.size() != 1) {
            throw EditError("a name is set on one row at a time");
        }
        setText(*doc_, type, rows.front(), field, text);
        return;
    }
    setNumber(*doc_, type, rows, field, parseFieldNumber(doc_->database(), f, text));
}

namespace {

std::vector<std::size_t> addEach(ChannelList& doc, std::uint8_t group, std::uint8_t list,
                                 const std::vector<std::size_t>& rows, std::size_t position) {
    std::vector<std::size_t> added;
    std::size_t at = position;
    for (const std::size_t row : rows) {
        if (row >= doc.database().serviceCount()) {
            throw EditError("service row " + std::to_string(row) + " does not exist");
        }
        const auto entry = entryFor(doc.database(), row);
        if (!entry) {
            throw EditError("\"" + doc.database().services[row].svcName +
                            "\" has no channel number, so no favourite entry can name it");
        }
        addFavourite(doc, group, list, *entry, at);
        added.push_back(at++);
    }
    return added;
}

}  // namespace

std::vector<std::size_t> EditorController::addFavourites(std::uint8_t group, std::uint8_t list,
                                                         const std::vector<std::size_t>& rows, std::size_t position) {
    if (!doc_ || rows.empty()) {
        return {};
    }
    // All or nothing: a refusal of the third service must not leave the first two added. The
    // additions are tried on a scratch copy first, so the list itself changes only when all hold.
    ChannelList trial = ChannelList::fromDatabase(doc_->database(), doc_->modelCode());
    addEach(trial, group, list, rows, position);
    EditGroup step(*doc_, rows.size() == 1 ? "Add a favourite" : "Add " + std::to_string(rows.size()) + " favourites");
    return addEach(*doc_, group, list, rows, position);
}

EditorController::SendCheck EditorController::checkBeforeSend() const {
    SendCheck check;
    if (!doc_) {
        return check;
    }
    for (const ListFinding& f : doc_->findings()) {
        if (f.finding.severity == channeldb::Severity::Error) {
            check.error = f;
            check.warnings.clear();
            return check;
        }
        check.warnings.push_back(f);
    }
    return check;
}

}  // namespace bv3::edit
