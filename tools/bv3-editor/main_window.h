#pragma once
// The editor's main window: menus, tool bar, the tabs over the open list, the findings panel
// and the status bar. It owns the open document (an edit::ChannelList) and turns every action
// into a call of the editing core; the tables only show what the core holds.

#include "editor_settings.h"
#include "findings_dock.h"
#include "service_table_model.h"
#include "user_prompts.h"

#include "edit/channel_list.h"
#include "edit/editor_controller.h"
#include "edit/record_fields.h"
#include "edit/recovery_copy.h"

#include <QMainWindow>

#include <functional>
#include <string_view>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QSortFilterProxyModel;
class QTabWidget;
class QTableView;

namespace bv3::editor {

class DiskChangeGuard;
class FavouritesView;
class ListComparisons;
class MenuSettingsForm;
class ReceiverLink;
class RecoveryKeeper;
class RecordTableModel;

enum class EditorTab { Video, Audio, Favourites, Providers, Networks, TransportStreams, Antennas, Settings };

class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    // prompts: how questions are asked (tests pass their own); nullptr for the real dialogs.
    explicit MainWindow(std::unique_ptr<UserPrompts> prompts = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Opens a file (QNF, compressed QNF or a raw image), asking first about unsaved changes.
    // False when it was not opened: the current document then stays as it was.
    // imageKind: the model and variant of a receiver image, given by the caller; without it the
    // editor asks when the file is an image.
    bool openFile(const QString& path, std::optional<ImageKind> imageKind = std::nullopt);
    // Saves to the document's own file (Save As when it has none that can be written back).
    bool save();
    bool saveAs(const QString& path);
    // True when the document may be replaced: nothing unsaved, or the person saved or
    // discarded it.
    bool maybeKeepChanges();
    // The name Save As proposes: the list's own file, or a new dated name for a list that has
    // none (received, or read from an image).
    QString proposedName() const;

    void receive();
    void send();
    // At start: offers the recovery copies an editor that did not end cleanly left. True when
    // one was restored (it is then the open list, unsaved).
    bool offerRecovery();
    RecoveryKeeper& recovery() { return *recovery_; }
    DiskChangeGuard& diskChanges() { return *diskChanges_; }
    // Checks the open list against another receiver model (the data stays; not an edit).
    void setModelCode(std::uint8_t modelCode);

    const edit::ChannelList* document() const { return controller_.hasDocument() ? &controller_.document() : nullptr; }
    const edit::EditorController& controller() const { return controller_; }
    QString documentPath() const { return path_; }
    UserPrompts& prompts() { return *prompts_; }
    ReceiverLink& receiverLink() { return *link_; }
    ListComparisons& comparisons() { return *comparisons_; }
    EditorSettings& settings() { return settings_; }
    FindingsDock* findingsDock() const { return findings_; }
    FavouritesView* favouritesView() const { return favourites_; }
    MenuSettingsForm* menuForm() const { return menuForm_; }
    QTableView* serviceView(ServiceKind kind) const;
    ServiceTableModel* serviceModel(ServiceKind kind) const;
    QSortFilterProxyModel* serviceProxy(ServiceKind kind) const;
    QLineEdit* filterField() const { return filter_; }
    QLabel* countsLabel() const { return counts_; }
    void showTab(EditorTab tab);
    QAction* action(const QString& objectName) const;

    // Selects table rows (positions within the kind) in a service tab and shows them.
    void selectServices(ServiceKind kind, const QList<int>& positions);
    // The selected services of the current service tab, as absolute rows, ascending.
    std::vector<std::size_t> selectedServiceRows() const;
    // Shows the place a finding points at.
    void jumpTo(const FindingTarget& target);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The recovery copy and the check for changes on the disk (main_window_safety.cpp).
    void setUpSafety();
    void watchDocument(const QString& path);
    bool restoreCopy(const edit::RecoveryCopy& copy);
    void reloadFromDisk();

    void buildActions();
    void buildMenus();
    void buildTabs();
    QTableView* makeServiceView(ServiceKind kind);
    QTableView* makeRecordView(RecordTableModel* model, const QString& name);
    void restoreLayout();
    void saveLayout();

    // Document.
    void adopt(edit::ChannelList list, const QString& path);
    void onListChanged(const edit::ListChange& change);
    void refreshAll();
    void updateFindings();
    QString placeText(const edit::ListPlace& place, const QString& line) const;
    void updateStatus();
    void updateActions();
    void updateTitle();
    void updateRecentMenu();
    std::optional<edit::ChannelList> load(const QString& path, std::optional<ImageKind> imageKind);
    ReceiverSettings receiverSettings();
    std::optional<edit::ChannelList> loadImageAsking(const QString& title, const std::string& file,
                                                     std::uint8_t configVariant, std::uint8_t modelCode);

    // Actions.
    void openDialog();
    // Undo (back) or redo, then select and show the services the step changed.
    void stepThroughHistory(bool back);
    // A click on a service column's header: sorts the list by it, the other way on a second click.
    void sortByColumn(ServiceKind kind, int column);
    void saveAsDialog();
    void exportCsv();
    void exportHtml();
    void printList();
    void showSettings();
    // Asks for the open list's model and variant (the list holds them, not the settings).
    void chooseListKind();
    void undo();
    void redo();
    void cutRows();
    void pasteRows();
    void deleteRows();
    void renameCurrent();
    enum class Move { Up, Down, Top, Bottom };
    void moveRows(Move move);
    void sortRows(int key);
    void renumber();
    void selectDuplicates();
    void reorderLikeReference();
    void addProvider();
    void deleteTableRow(edit::RecordType type);
    void setOnSelection(std::string_view fieldId);

    // Requests from the views.
    void moveDropped(ServiceKind kind, const QList<std::size_t>& rows, int position);
    // A cell's text for a field of the rows (one, or a selection), through the controller.
    void editField(edit::RecordType type, const std::vector<std::size_t>& rows, std::size_t field, const QString& text);
    void addFavourites(int group, int list, int position);
    void removeFavourites(int group, int list, const QList<int>& positions);
    void moveFavourites(int group, int list, const QList<int>& positions, int step);
    void dropFavourites(int group, int list, const QList<int>& positions, int position);
    // The Fav column of the service lists, from the list as it is now.
    void updateFavouriteMarks();
    void setMenuValue(int n, qlonglong value);

    // Runs an operation of the core, shows its refusal, keeps the selected services selected
    // (by identity, wherever they moved). False when refused.
    bool apply(const std::function<void(edit::ChannelList&)>& operation, bool keepSelection = true);
    void showServices(ServiceKind kind, const std::vector<std::size_t>& rows);
    std::optional<ServiceKind> currentKind() const;
    QString documentName() const;

    EditorSettings settings_;
    std::unique_ptr<UserPrompts> prompts_;
    std::unique_ptr<ReceiverLink> link_;
    std::unique_ptr<ListComparisons> comparisons_;
    // The open list, the selection and the cut, and the rules of drops, cells, favourite
    // additions and the send guard.
    edit::EditorController controller_;
    std::unique_ptr<RecoveryKeeper> recovery_;
    DiskChangeGuard* diskChanges_ = nullptr;
    std::size_t listener_ = 0;
    QString path_;

    QTabWidget* tabs_ = nullptr;
    ServiceTableModel* video_ = nullptr;
    ServiceTableModel* audio_ = nullptr;
    QSortFilterProxyModel* videoProxy_ = nullptr;
    QSortFilterProxyModel* audioProxy_ = nullptr;
    QTableView* videoView_ = nullptr;
    QTableView* audioView_ = nullptr;
    RecordTableModel* providers_ = nullptr;
    RecordTableModel* networks_ = nullptr;
    RecordTableModel* transportStreams_ = nullptr;
    RecordTableModel* antennas_ = nullptr;
    FavouritesView* favourites_ = nullptr;
    MenuSettingsForm* menuForm_ = nullptr;
    FindingsDock* findings_ = nullptr;
    QLineEdit* filter_ = nullptr;
    QLabel* counts_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QList<QTableView*> tables_;
};

}  // namespace bv3::editor
