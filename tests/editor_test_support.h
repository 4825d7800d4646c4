#pragma once
// Shared by the editor's GUI tests: a main window on a scratch folder, with its questions
// answered from a script and its settings kept out of the user's own.

#include "main_window.h"
#include "test_files.h"
#include "user_prompts.h"

#include "edit/channel_list.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTest>

#include <unistd.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace bv3::editor::testing {

namespace fs = std::filesystem;

// Answers the window's questions from queues and records what it said.
class ScriptedPrompts final : public UserPrompts {
public:
    struct Script {
        std::deque<UnsavedChoice> unsaved;
        std::deque<QString> fileNames;
        std::deque<bool> confirmations;
        std::deque<std::optional<ImageKind>> imageKinds;
        std::deque<std::optional<QString>> texts;
        std::deque<std::optional<int>> choices;
        std::deque<std::optional<ReorderChoice>> reorderChoices;
        QStringList choiceItems;  // the items of the last choice offered
        QStringList choiceLabels;
        QStringList errors;
        QStringList informations;
        int unsavedQuestions = 0;
    };

    explicit ScriptedPrompts(std::shared_ptr<Script> script) : script_(std::move(script)) {}

    UnsavedChoice askUnsavedChanges(const QString&) override {
        ++script_->unsavedQuestions;
        return take(script_->unsaved, UnsavedChoice::Cancel);
    }
    void showError(const QString&, const QString& text) override { script_->errors << text; }
    void showInformation(const QString&, const QString& text) override { script_->informations << text; }
    bool confirm(const QString&, const QString&) override { return take(script_->confirmations, false); }
    QString openFileName(const QString&, const QString&, const QString&) override { return take(script_->fileNames, QString()); }
    QString saveFileName(const QString&, const QString&, const QString&, QString*) override {
        return take(script_->fileNames, QString());
    }
    std::optional<ImageKind> askImageKind(const QString&, ImageKind) override {
        return take(script_->imageKinds, std::optional<ImageKind>());
    }
    std::optional<ImageKind> askListKind(const QString&, ImageKind) override {
        return take(script_->imageKinds, std::optional<ImageKind>());
    }
    std::optional<QString> askText(const QString&, const QString&, const QString&) override {
        return take(script_->texts, std::optional<QString>());
    }

    std::optional<int> askChoice(const QString&, const QString& label, const QStringList& items, int) override {
        script_->choiceItems = items;
        script_->choiceLabels << label;
        return take(script_->choices, std::optional<int>());
    }
    std::optional<ReorderChoice> askReorder(const QString&, ReorderChoice) override {
        return take(script_->reorderChoices, std::optional<ReorderChoice>());
    }

private:
    template <class T, class U>
    static T take(std::deque<T>& queue, U fallback) {
        if (queue.empty()) {
            return fallback;
        }
        // The front is copied out before it goes: no local of T, whose copy GCC's flow
        // analysis takes for uninitialised once std::optional<QString> is inlined.
        struct PopFront {
            std::deque<T>& queue;
            ~PopFront() { queue.pop_front(); }
        } pop{queue};
        return queue.front();
    }
    std::shared_ptr<Script> script_;
};

using testfiles::readText;
using testfiles::writeText;

inline std::string sampleText() {
    return readText(fs::path(BV3_SOURCE_DIR) / "samples" / "channels.qnf");
}

class EditorWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory_ = fs::temp_directory_path() / ("bv3-editor-" + std::to_string(::getpid()) + "-" +
                                                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(directory_);
        fs::create_directories(directory_ / "settings");
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString((directory_ / "settings").string()));
        QApplication::setOrganizationName("BV3-test");
        QApplication::setApplicationName("bv3-editor-test");
        writeText(file("channels.qnf"), sampleText());
        // The received lists' backups go into the test's folder, not the user's.
        ::setenv("XDG_DATA_HOME", (directory_ / "data").c_str(), 1);
        // And the recovery copies into its state folder.
        ::setenv("XDG_STATE_HOME", (directory_ / "state").c_str(), 1);
        window_ = std::make_unique<MainWindow>(std::make_unique<ScriptedPrompts>(script_));
        window_->show();
        QApplication::setActiveWindow(window_.get());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }

    void TearDown() override {
        // Whatever the test left unsaved is discarded without a question.
        script_->unsaved.assign(8, UnsavedChoice::Discard);
        window_.reset();
        fs::remove_all(directory_);
    }

    QString path(const std::string& name) const { return QString::fromStdString((directory_ / name).string()); }
    fs::path file(const std::string& name) const { return directory_ / name; }

    void openSample() { ASSERT_TRUE(window_->openFile(path("channels.qnf"))); }
    const edit::ChannelList& doc() const { return *window_->document(); }
    std::string docText() const { return window_->document()->qnfText(); }

    std::shared_ptr<ScriptedPrompts::Script> script_ = std::make_shared<ScriptedPrompts::Script>();
    std::unique_ptr<MainWindow> window_;

private:
    fs::path directory_;
};

}  // namespace bv3::editor::testing
