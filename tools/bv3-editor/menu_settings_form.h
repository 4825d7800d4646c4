#pragma once
// The receiver settings tab: the 44 values of the menu record in a form, value 5 (the time,
// hours x 100 + minutes) as a time field. Changes become requests; the form shows the list.

#include <QScrollArea>

#include <vector>

class QAbstractSpinBox;
class QTimeEdit;

namespace bv3::channeldb {
class ChannelDatabase;
}

namespace bv3::editor {

inline constexpr int menuTimeValue = 5;

class MenuSettingsForm final : public QScrollArea {
    Q_OBJECT
public:
    explicit MenuSettingsForm(QWidget* parent = nullptr);

    void setDatabase(const channeldb::ChannelDatabase* db);
    void refresh();

    // The field of value n (1..44); the time field for value 5.
    QWidget* field(int n) const { return fields_.at(static_cast<std::size_t>(n - 1)); }
    QTimeEdit* timeField() const;

signals:
    // Value n (1..44) set to value (for the time: hours x 100 + minutes).
    void valueEdited(int n, qlonglong value);

private:
    const channeldb::ChannelDatabase* db_ = nullptr;
    std::vector<QWidget*> fields_;
    bool updating_ = false;
};

// The menu values 1..44 of a database in order, widened.
std::vector<qlonglong> menuValues(const channeldb::ChannelDatabase& db);

}  // namespace bv3::editor
