// The Windows pieces behind UploadData and DownloadData, run under Wine: the hand-off to the
// UI thread through its hidden window, the dialogs' window (layout, button, Escape, close box,
// window timer, gauge picture) and the two transfer dialogs as far as they go without a
// receiver (test_windows_transfer_e2e carries whole transfers through the library).
#include "platform/native_dialog.h"
#include "platform/native_ui_thread.h"
#include "transfer/win32/download_dialog_native.h"
#include "transfer/win32/upload_dialog_native.h"
#include "ui/message_box.h"

// Last: <windows.h> defines the serial error names as macros.
#include "platform/win32/windows_api.h"
#include "windows_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;
using bv3::platform::NativeDialog;
using bv3::platform::NativeDialogEvents;
using bv3::platform::NativeDialogLayout;
using bv3::platform::NativeUiThread;
using bv3::platform::ScopedNativeUiThread;

// Dispatches this thread's messages until `done` holds or ten seconds have passed.
bool pumpUntil(const std::function<bool()>& done) {
    const DWORD deadline = GetTickCount() + 10000;
    MSG message{};
    while (!done()) {
        if (GetTickCount() > deadline) {
            return false;
        }
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(1);
    }
    return true;
}

TEST(WindowsUiThread, PostedTasksRunOnTheCreatingThreadInOrder) {
    NativeUiThread ui;
    EXPECT_TRUE(ui.isCurrent());
    std::string order;
    std::atomic<bool> workerSawCurrent{true};
    std::thread worker([&] {
        workerSawCurrent = ui.isCurrent();
        ui.post([&] { order += ui.isCurrent() ? "a" : "?"; });
        ui.post([&] { order += ui.isCurrent() ? "b" : "?"; });
    });
    worker.join();
    EXPECT_FALSE(workerSawCurrent);
    EXPECT_EQ(order, "") << "a task ran before the UI thread dispatched its messages";
    ASSERT_TRUE(pumpUntil([&] { return order.size() == 2; }));
    EXPECT_EQ(order, "ab");
}

TEST(WindowsUiThread, TheSynchronousCallWaitsForTheUiThreadAndHandsBackItsFailure) {
    ScopedNativeUiThread scoped;
    std::atomic<int> stage{0};
    bool ranOnUiThread = false;
    std::string failure;
    std::thread worker([&] {
        bv3::platform::runOnUiThread(bv3::platform::uiThread(), [&] { ranOnUiThread = scoped.ui().isCurrent(); });
        stage = 1;
        try {
            bv3::platform::runOnUiThread(bv3::platform::uiThread(), [] { throw std::runtime_error("handler failed"); });
        } catch (const std::exception& error) {
            failure = error.what();
        }
        stage = 2;
    });
    ASSERT_TRUE(pumpUntil([&] { return stage == 2; }));
    worker.join();
    EXPECT_TRUE(ranOnUiThread);
    EXPECT_EQ(failure, "handler failed");
}

// Records what the dialog reports and lets each test decide what its handlers do.
struct EventLog : NativeDialogEvents {
    std::string seen;
    std::function<void()> show, button, closeBox, timer;
    void onShow() override { seen += "show;", show ? show() : void(); }
    void onButton() override { seen += "button;", button ? button() : void(); }
    void onCloseBox() override { seen += "close;", closeBox ? closeBox() : void(); }
    void onTimer() override { seen += "timer;", timer ? timer() : void(); }
};

NativeDialogLayout smallLayout() {
    return {.caption = "Layout check",
            .clientWidth = 362,
            .clientHeight = 59,
            .fontName = "MS Sans Serif",
            .fontHeight = -11,
            .panel = {4, 3, 353, 29},
            .texts = {{{7, 6, 340, 14}, "first"}, {{231, 6, 120, 14}, "", bv3::platform::NativeTextAlign::right}},
            .picture = {5, 23, 351, 7},
            .button = {280, 34, 78, 24},
            .buttonCaption = "Cancel"};
}

class WindowsDialog : public testing::Test {
protected:
    void SetUp() override {
        if (!windowsCanBeShown()) {
            GTEST_SKIP() << "no desktop to show the dialogs on";
        }
    }
};

TEST_F(WindowsDialog, ShowsCentredAlwaysOnTopWithTheButtonWhereTheLayoutPutsIt) {
    EventLog log;
    NativeDialog dialog(smallLayout(), log);
    HWND window = static_cast<HWND>(dialog.nativeHandle());
    RECT client{};
    RECT frame{};
    RECT button{};
    LONG style = 0;
    LONG extended = 0;
    char caption[64] = {};
    log.show = [&] {
        GetClientRect(window, &client);
        GetWindowRect(window, &frame);
        HWND child = FindWindowExA(window, nullptr, "BUTTON", "Cancel");
        GetWindowRect(child, &button);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&button), 2);
        style = GetWindowLongA(window, GWL_STYLE);
        extended = GetWindowLongA(window, GWL_EXSTYLE);
        GetWindowTextA(window, caption, sizeof caption);
        dialog.endModal();
    };
    EXPECT_EQ(dialog.runModal(), 2);
    EXPECT_EQ(log.seen, "show;");
    EXPECT_EQ(std::string(caption), "Layout check");
    EXPECT_EQ(client.right, 362);
    EXPECT_EQ(client.bottom, 59);
    EXPECT_EQ((button.left), 280);
    EXPECT_EQ((button.top), 34);
    EXPECT_EQ(button.right - button.left, 78);
    EXPECT_EQ(button.bottom - button.top, 24);
    EXPECT_NE(extended & WS_EX_TOPMOST, 0);
    EXPECT_NE(style & WS_SYSMENU, 0);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    const int centreX = (frame.left + frame.right) / 2;
    EXPECT_LE(std::abs(centreX - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
    EXPECT_FALSE(dialog.visible()) << "the dialog stays on screen after its modal call";
}

TEST_F(WindowsDialog, TheButtonEscapeTheCloseBoxAndTheTimerReachTheirHandlers) {
    EventLog log;
    NativeDialog dialog(smallLayout(), log);
    HWND window = static_cast<HWND>(dialog.nativeHandle());
    HWND button = FindWindowExA(window, nullptr, "BUTTON", "Cancel");
    log.show = [&] { PostMessageA(button, BM_CLICK, 0, 0); };
    log.button = [&] {
        if (log.seen == "show;button;") {
            PostMessageA(button, WM_KEYDOWN, VK_ESCAPE, 0);
        } else {
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
    };
    log.closeBox = [&] { dialog.setTimer(true, 10); };
    int ticks = 0;
    log.timer = [&] {
        if (++ticks == 2) {
            dialog.setTimer(false, 0);
            dialog.endModal();
        }
    };
    EXPECT_EQ(dialog.runModal(), 2);
    EXPECT_EQ(log.seen, "show;button;button;close;timer;timer;");
    EXPECT_FALSE(dialog.timerRunning());
}

TEST_F(WindowsDialog, AHandlerThatThrowsEndsTheLoopAndTheCallRethrowsIt) {
    EventLog log;
    NativeDialog dialog(smallLayout(), log);
    log.show = [] { throw std::runtime_error("show failed"); };
    EXPECT_THROW(
        {
            try {
                dialog.runModal();
            } catch (const std::runtime_error& error) {
                EXPECT_STREQ(error.what(), "show failed");
                throw;
            }
        },
        std::runtime_error);
}

TEST_F(WindowsDialog, ThePictureAndTheTextsAreOnTheWindow) {
    EventLog log;
    NativeDialog dialog(smallLayout(), log);
    HWND window = static_cast<HWND>(dialog.nativeHandle());
    bv3::platform::PixelPicture picture(351, 7, 0x000000);
    picture.at(1, 3) = 0x0000FF;    // red, as the library's colours are 0x00BBGGRR
    picture.at(349, 3) = 0xFFFF00;  // aqua
    COLORREF left = 0;
    COLORREF right = 0;
    COLORREF border = 0;
    log.show = [&] {
        dialog.setText(1, "[5/98]");
        dialog.showPicture(picture);
        HDC dc = GetDC(window);
        left = GetPixel(dc, 5 + 1, 23 + 3);
        right = GetPixel(dc, 5 + 349, 23 + 3);
        border = GetPixel(dc, 5, 23);
        ReleaseDC(window, dc);
        dialog.endModal();
    };
    dialog.runModal();
    EXPECT_EQ(left, RGB(255, 0, 0));
    EXPECT_EQ(right, RGB(0, 255, 255));
    EXPECT_EQ(border, RGB(0, 0, 0));
    EXPECT_EQ(dialog.text(0), "first");
    EXPECT_EQ(dialog.text(1), "[5/98]");
}

// A working folder of the test's own.
struct TargetFile {
    fs::path path = fs::temp_directory_path() / ("bv3-win-transfer-" + std::to_string(GetCurrentProcessId()) + ".raw");
    TargetFile() { std::ofstream(path, std::ios::binary) << "an earlier upload"; }
    ~TargetFile() {
        std::error_code ignored;
        fs::remove(path, ignored);
    }
};

// Runs `fn` on the dialog's UI thread once the dialog's show handler has run.
void afterShow(const std::function<void()>& fn) {
    bv3::platform::uiThread().post([fn] { bv3::platform::uiThread().post(fn); });
}

TEST_F(WindowsDialog, TheUploadDialogShowsItsLayoutAndAPortItCannotOpenThenCancelDeletesTheTarget) {
    const TargetFile target;
    bv3::ui::ScopedMessageBoxRecorder boxes;
    bv3::transfer::native::TfrmUpLoad dialog;
    dialog.Setup(0, 0, target.path.string());
    // A port Wine does not have: the show step fails as it would for a port in use.
    dialog.Comm1().SetDeviceName("COM77");
    HWND window = static_cast<HWND>(dialog.window().nativeHandle());
    RECT client{};
    std::string label1;
    bool timerOnAfterShow = true;
    afterShow([&] {
        GetClientRect(window, &client);
        label1 = dialog.Label1();
        timerOnAfterShow = dialog.Timer1Enabled();
        PostMessageA(FindWindowExA(window, nullptr, "BUTTON", "Cancel"), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(dialog.ShowModal(), 2);
    EXPECT_EQ(client.right, 362);
    EXPECT_EQ(client.bottom, 59);
    EXPECT_EQ(label1, "Waiting for Qorda Connection...");
    EXPECT_FALSE(timerOnAfterShow);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].caption, "Error");
    EXPECT_EQ(boxes.shown()[0].text.rfind("COM77: Error accessing Communication port", 0), 0u)
        << "the box does not name the port: " << boxes.shown()[0].text;
    EXPECT_FALSE(fs::exists(target.path)) << "Cancel leaves the upload's target behind";
    EXPECT_FALSE(dialog.Comm1().IsOpen());
}

TEST_F(WindowsDialog, TheUploadDialogsCloseBoxKeepsTheTargetAndEscapeCancels) {
    struct Case {
        const char* how;
        bool targetKept;
    };
    for (const Case c : {Case{"close box", true}, Case{"Escape", false}}) {
        const TargetFile target;
        bv3::ui::ScopedMessageBoxRecorder boxes;
        bv3::transfer::native::TfrmUpLoad dialog;
        dialog.Setup(0, 0, target.path.string());
        dialog.Comm1().SetDeviceName("COM77");
        HWND window = static_cast<HWND>(dialog.window().nativeHandle());
        afterShow([&] {
            if (c.targetKept) {
                PostMessageA(window, WM_CLOSE, 0, 0);
            } else {
                PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
            }
        });
        EXPECT_EQ(dialog.ShowModal(), 2) << c.how;
        EXPECT_EQ(fs::exists(target.path), c.targetKept) << c.how;
    }
}

TEST_F(WindowsDialog, TheDownloadDialogEndsOnCancelAndLeavesItsFileAlone) {
    const TargetFile source;
    bv3::ui::ScopedMessageBoxRecorder boxes;
    bv3::transfer::native::TfrmDownload dialog;
    dialog.Setup(0, 0, source.path.string());
    dialog.Comm1().SetDeviceName("COM77");
    HWND window = static_cast<HWND>(dialog.window().nativeHandle());
    RECT client{};
    char caption[32] = {};
    afterShow([&] {
        GetClientRect(window, &client);
        GetWindowTextA(window, caption, sizeof caption);
        PostMessageA(FindWindowExA(window, nullptr, "BUTTON", "Cancel"), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(dialog.ShowModal(), 2);
    EXPECT_EQ(std::string(caption), "PC to STB");
    EXPECT_EQ(client.right, 358);
    EXPECT_EQ(client.bottom, 58);
    EXPECT_EQ(boxes.shown().size(), 1u);
    std::ifstream in(source.path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "an earlier upload");
}

TEST_F(WindowsDialog, TheGaugeOfATransferDialogIsBlueToAquaOnBlack) {
    bv3::ui::ScopedMessageBoxRecorder boxes;
    bv3::transfer::native::TfrmDownload dialog;
    dialog.Comm1().SetDeviceName("COM77");
    HWND window = static_cast<HWND>(dialog.window().nativeHandle());
    COLORREF first = 0;
    COLORREF last = 0;
    COLORREF past = 0;
    afterShow([&] {
        dialog.showProgress(100);
        HDC dc = GetDC(window);
        first = GetPixel(dc, 5 + 1, 23 + 3);
        last = GetPixel(dc, 5 + 349, 23 + 3);
        past = GetPixel(dc, 5 + 350, 23 + 3);
        ReleaseDC(window, dc);
        dialog.closeDialog();
    });
    dialog.ShowModal();
    // Column i of 349 blends aqua over blue by i/349: the first column is nearly blue.
    EXPECT_EQ(first, RGB(0, 1, 255));
    EXPECT_EQ(last, RGB(0, 255, 255));
    EXPECT_EQ(past, RGB(0, 0, 0));
}

// Writes what the screen shows of `window` (frame included) as a 24-bit BMP file.
bool saveWindowPicture(HWND window, const fs::path& path) {
    RECT frame{};
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    SelectObject(memory, previous);
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const int stride = (width * 3 + 3) & ~3;
    std::string pixels(static_cast<std::size_t>(stride * height), '\0');
    const int rows = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                               reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (rows != height) {
        return false;
    }
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    return static_cast<bool>(out);
}

// Pictures of both dialogs half-way through a transfer, for the documentation; runs only when
// BV3_WIN32_SCREENSHOT_DIR names a folder.
TEST_F(WindowsDialog, PicturesOfTheDialogsForTheDocumentation) {
    const char* folder = std::getenv("BV3_WIN32_SCREENSHOT_DIR");
    if (folder == nullptr) {
        GTEST_SKIP() << "BV3_WIN32_SCREENSHOT_DIR names no folder";
    }
    bv3::ui::ScopedMessageBoxRecorder boxes;
    auto picture = [folder](bv3::transfer::native::TransferDialog& dialog, const char* name, const char* label1,
                            const char* label2, int percent) {
        HWND window = static_cast<HWND>(dialog.window().nativeHandle());
        bool saved = false;
        afterShow([&] {
            dialog.showLine(bv3::transfer::StatusLine::Label1, label1);
            dialog.showLine(bv3::transfer::StatusLine::Label2, label2);
            dialog.showProgress(percent);
            // Read back from the screen once the loop has had the drawing put there.
            SetTimer(window, 99, 200, nullptr);
            afterShow([&] {
                MSG message{};
                while (GetMessageA(&message, window, WM_TIMER, WM_TIMER) && message.wParam != 99) {
                }
                KillTimer(window, 99);
                saved = saveWindowPicture(window, fs::path(folder) / name);
                dialog.closeDialog();
            });
        });
        dialog.ShowModal();
        EXPECT_TRUE(saved) << name;
    };
    bv3::transfer::native::TfrmUpLoad upload;
    upload.Comm1().SetDeviceName("COM77");
    picture(upload, "upload-dialog-windows.bmp", "Transferring and Receiving STB Flash data...", "[47/98]", 49);
    bv3::transfer::native::TfrmDownload download;
    download.Comm1().SetDeviceName("COM77");
    picture(download, "download-dialog-windows.bmp", "Transferring and Receiving STB flash data...", "[4096/10240]",
            40);
}

}  // namespace
