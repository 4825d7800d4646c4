#pragma once
// TfrmMain: the library's about box. A small fixed dialog at a fixed screen position with the
// version and build date; no buttons, only the close box. It always ends with mrCancel.

#include <QDialog>

#include <string>

class QLabel;

namespace bv3::ui {

class TfrmMain : public QDialog {
public:
    explicit TfrmMain(QWidget* parent = nullptr);

    QLabel* Label1() const { return label1_; }
    QLabel* Label2() const { return label2_; }

    // Every way of closing yields the cancel result.
    void done(int result) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The close handler has nothing to do but let the form go.
    void FormClose() {}
    QLabel* label1_;
    QLabel* label2_;
};

// Shows the about box modally and returns its modal result. With a screenshot path, saves a
// picture of the box there once it is on screen and closes it; returns false through `saved`
// when the picture could not be written.
int runAboutBox(const std::string& screenshotPath = {}, bool* saved = nullptr);

}  // namespace bv3::ui
