#pragma once
// The findings panel: the live check findings of the open list, errors first; a double click
// (or Enter) on one asks the main window to show the row it is about.

#include <QDockWidget>

class QTreeWidget;
class QTreeWidgetItem;

namespace bv3::editor {

// Where a finding points, as far as the view can show it.
struct FindingTarget {
    enum class Table { None, Service, TransportStream, Network, Provider, Favourite, Menu };
    Table table = Table::None;
    int row = -1;  // absolute service row, or the row of its table
    int group = -1;
    int list = -1;
};

struct FindingRow {
    bool error = false;
    QString where;
    QString message;
    FindingTarget target;
};

class FindingsDock final : public QDockWidget {
    Q_OBJECT
public:
    explicit FindingsDock(QWidget* parent = nullptr);

    void setFindings(const QList<FindingRow>& findings);
    QTreeWidget* tree() const { return tree_; }
    int errorCount() const { return errors_; }
    int warningCount() const { return warnings_; }

signals:
    void jumpRequested(const FindingTarget& target);

private:
    void activate(QTreeWidgetItem* item);

    QTreeWidget* tree_;
    QList<FindingRow> findings_;
    int errors_ = 0;
    int warnings_ = 0;
};

}  // namespace bv3::editor
