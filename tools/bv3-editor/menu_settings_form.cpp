#include "menu_settings_form.h"

#include "channeldb/channel_database.h"

#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QTimeEdit>
#include <QWidget>

#include <limits>
#include <type_traits>

namespace bv3::editor {

std::vector<qlonglong> menuValues(const channeldb::ChannelDatabase& db) {
    std::vector<qlonglong> values;
    values.reserve(channeldb::menuValueCount);
    channeldb::forEachMenuValue(db.menu, [&](const auto& v) { values.push_back(static_cast<qlonglong>(v)); });
    return values;
}

namespace {

struct Range {
    qlonglong low;
    qlonglong high;
};

std::vector<Range> menuRanges() {
    std::vector<Range> ranges;
    channeldb::MenuRecord menu;
    channeldb::forEachMenuValue(menu, [&](const auto& v) {
        using T = std::remove_cvref_t<decltype(v)>;
        ranges.push_back({static_cast<qlonglong>(std::numeric_limits<T>::min()),
                          static_cast<qlonglong>(std::numeric_limits<T>::max())});
    });
    return ranges;
}

// A spin box for any of the value widths: QSpinBox holds an int, which every field but the
// 32-bit unsigned ones fits; the menu has none of those.
QSpinBox* numberField(Range range) {
    auto* box = new QSpinBox;
    box->setRange(static_cast<int>(std::max<qlonglong>(range.low, std::numeric_limits<int>::min())),
                  static_cast<int>(std::min<qlonglong>(range.high, std::numeric_limits<int>::max())));
    box->setAccelerated(true);
    box->setMinimumWidth(140);
    // One change per value typed, not one per keystroke: each is an undo step.
    box->setKeyboardTracking(false);
    return box;
}

}  // namespace

MenuSettingsForm::MenuSettingsForm(QWidget* parent) : QScrollArea(parent) {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    // Numbers of a few digits: fields at their natural width read better than full-width bars.
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    const auto ranges = menuRanges();
    for (int n = 1; n <= static_cast<int>(channeldb::menuValueCount); ++n) {
        QWidget* field = nullptr;
        if (n == menuTimeValue) {
            auto* time = new QTimeEdit;
            time->setDisplayFormat("HH:mm");
            time->setKeyboardTracking(false);
            time->setMinimumWidth(140);
            time->setToolTip(tr("Value 5: the receiver's time of day (stored as hours x 100 + minutes)"));
            connect(time, &QTimeEdit::timeChanged, this, [this](QTime t) {
                if (!updating_) {
                    emit valueEdited(menuTimeValue, t.hour() * 100 + t.minute());
                }
            });
            field = time;
            form->addRow(tr("Value &5 (time):"), time);
        } else {
            auto* box = numberField(ranges[static_cast<std::size_t>(n - 1)]);
            box->setToolTip(tr("Receiver setting %1 (%2..%3)").arg(n).arg(box->minimum()).arg(box->maximum()));
            connect(box, &QSpinBox::valueChanged, this, [this, n](int value) {
                if (!updating_) {
                    emit valueEdited(n, value);
                }
            });
            field = box;
            form->addRow(tr("Value %1:").arg(n), box);
        }
        fields_.push_back(field);
    }
    setWidget(page);
    setWidgetResizable(true);
    setEnabled(false);
}

QTimeEdit* MenuSettingsForm::timeField() const {
    return static_cast<QTimeEdit*>(field(menuTimeValue));
}

void MenuSettingsForm::setDatabase(const channeldb::ChannelDatabase* db) {
    db_ = db;
    setEnabled(db_ != nullptr);
    refresh();
}

void MenuSettingsForm::refresh() {
    if (db_ == nullptr) {
        return;
    }
    updating_ = true;
    const auto values = menuValues(*db_);
    for (int n = 1; n <= static_cast<int>(values.size()); ++n) {
        const qlonglong v = values[static_cast<std::size_t>(n - 1)];
        if (n == menuTimeValue) {
            // A stored value that is no time of day (negative, minutes past 59) shows as
            // midnight with a tip saying what is stored; it is kept until changed here.
            const QTime time(static_cast<int>(v / 100), static_cast<int>(v % 100));
            timeField()->setTime(time.isValid() && v >= 0 ? time : QTime(0, 0));
            timeField()->setToolTip(
                time.isValid() && v >= 0
                    ? tr("Value 5: the receiver's time of day (stored as hours x 100 + minutes)")
                    : tr("Value 5 holds %1, which is no time of day; setting a time replaces it").arg(v));
        } else {
            static_cast<QSpinBox*>(field(n))->setValue(static_cast<int>(v));
        }
    }
    updating_ = false;
}

}  // namespace bv3::editor
