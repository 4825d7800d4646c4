// The editor's comparisons: the send preview (verify on by default, cancel opens no port), the
// backups window (open, compare with the open list) and File > Compare with. With
// BV3_EDITOR_PICTURES set to a folder, each window is also saved there as a PNG.
#include "backups_dialog.h"
#include "editor_test_support.h"
#include "list_comparisons.h"
#include "receiver_link.h"
#include "send_preview_dialog.h"

#include "edit/service_operations.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <cstdlib>

namespace bv3::editor::testing {
namespace {

// Runs check on the next modal dialog of type Dialog once it shows, then closes it with
// close(dialog).
template <class Dialog, class Check, class Close>
void whenDialogShows(Check check, Close close) {
    QTimer::singleShot(0, [check, close] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            ADD_FAILURE() << "no dialog";
            return;
        }
        check(*dialog);
        close(*dialog);
    });
}

void picture(QWidget& window, const char* name) {
    if (const char* folder = std::getenv("BV3_EDITOR_PICTURES")) {
        window.grab().save(QString::fromLocal8Bit(folder) + "/" + name);
    }
}

class EditorComparisonTest : public EditorWindowTest {
protected:
    ListComparisons& comparisons() { return window_->comparisons(); }
    edit::ChannelList& editable() { return const_cast<edit::ChannelList&>(*window_->document()); }
    std::size_t rowNamed(const std::string& name) const {
        const auto& db = doc().database();
        for (std::size_t row = 0; row < db.serviceCount(); ++row) {
            if (db.services[row].svcName == name) {
                return row;
            }
        }
        throw std::runtime_error("no service " + name);
    }
};

TEST_F(EditorComparisonTest, SendPreviewShowsTheChangesAndCancelOpensNoPort) {
    openSample();
    comparisons().received(doc());  // as if the receiver had just sent the sample
    edit::renameService(editable(), 1, "Lumen Zwei");
    edit::moveServices(editable(), {rowNamed("Polaris 2")}, 4);
    int transfers = 0;
    window_->receiverLink().beforeDialog = [&](QWidget& dialog) {
        ++transfers;
        QTimer::singleShot(0, &dialog, [&dialog] { dialog.close(); });
    };
    bool verifyOffered = false;
    QString report;
    whenDialogShows<SendPreviewDialog>(
        [&](SendPreviewDialog& dialog) {
            dialog.resize(620, 330);
            verifyOffered = dialog.verifyAfterSending();
            report = dialog.findChild<QPlainTextEdit*>("sendPreviewReport")->toPlainText();
            picture(dialog, "editor-send-preview.png");
        },
        [](SendPreviewDialog& dialog) { dialog.reject(); });
    window_->send();
    EXPECT_TRUE(verifyOffered) << "verify after sending is on by default";
    EXPECT_TRUE(report.contains("renamed \"Lumen Two\" to \"Lumen Zwei\" (video 2)")) << report.toStdString();
    EXPECT_TRUE(report.contains("moved \"Polaris 2\" video 11 -> 5")) << report.toStdString();
    EXPECT_EQ(transfers, 0) << "a cancelled preview opens no port";
}

TEST_F(EditorComparisonTest, WithNothingKnownThePreviewSaysSo) {
    openSample();
    QString headline;
    comparisons().answerPreview = [&](const QString& h, const QString&) {
        headline = h;
        return std::optional<bool>();
    };
    window_->send();
    EXPECT_TRUE(headline.contains("is not known")) << headline.toStdString();
}

TEST_F(EditorComparisonTest, AListSentWithoutVerifyingIsWhatTheNextPreviewComparesWith) {
    openSample();
    comparisons().received(doc());
    edit::renameService(editable(), 0, "Lumen Eins");
    comparisons().sent(false, window_->settings().receiver(), doc());
    QString headline;
    comparisons().answerPreview = [&](const QString& h, const QString&) {
        headline = h;
        return std::optional<bool>();
    };
    window_->send();
    EXPECT_TRUE(headline.contains("already holds this list, as far as the list sent at")) << headline.toStdString();
    EXPECT_EQ(comparisons().backups().entries().size(), 1u) << "only what the receiver sent is a backup";
}

TEST_F(EditorComparisonTest, BackupsListOpensAndComparesWithTheOpenList) {
    openSample();
    comparisons().received(doc());
    ASSERT_EQ(comparisons().backups().entries().size(), 1u);
    edit::renameService(editable(), 0, "Lumen Eins");
    QStringList shown;
    comparisons().showComparison = [&](const QString&, const QString& h, const QString& r) { shown << h << r; };
    whenDialogShows<BackupsDialog>(
        [&](BackupsDialog& dialog) {
            QTableWidget* table = dialog.table();
            ASSERT_EQ(table->rowCount(), 1);
            EXPECT_EQ(table->item(0, 1)->text(), "4");
            EXPECT_EQ(table->item(0, 2)->text(), "42");
            EXPECT_EQ(table->item(0, 3)->text(), "18");
            picture(dialog, "editor-backups.png");
        },
        [](BackupsDialog& dialog) {
            for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
                if (b->text().contains("Compare")) {
                    b->click();
                }
            }
        });
    comparisons().showBackups();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[0].contains("to the open list: 1 service renamed")) << shown[0].toStdString();
    EXPECT_TRUE(shown[1].contains("renamed \"Lumen One\" to \"Lumen Eins\"")) << shown[1].toStdString();
}

TEST_F(EditorComparisonTest, CompareWithAnotherFile) {
    openSample();
    edit::renameService(editable(), 0, "Lumen Eins");
    ASSERT_TRUE(window_->saveAs(path("edited.qnf")));
    ASSERT_TRUE(window_->openFile(path("channels.qnf")));
    script_->fileNames = {path("edited.qnf")};
    QString headline;
    QString report;
    whenDialogShows<QDialog>(
        [&](QDialog& dialog) {
            headline = dialog.findChild<QLabel*>()->text();
            report = dialog.findChild<QPlainTextEdit*>("diffReport")->toPlainText();
            picture(dialog, "editor-compare.png");
        },
        [](QDialog& dialog) { dialog.reject(); });
    window_->action("compareWith")->trigger();
    EXPECT_TRUE(headline.contains("From the open list to edited.qnf: 1 service renamed")) << headline.toStdString();
    EXPECT_TRUE(report.contains("renamed \"Lumen One\" to \"Lumen Eins\" (video 1)")) << report.toStdString();
}

}  // namespace
}  // namespace bv3::editor::testing
