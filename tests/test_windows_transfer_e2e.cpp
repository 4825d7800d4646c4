// Whole transfers through BV3Dll.dll under Wine, the way the channel-list editor makes them:
// the library is loaded with LoadLibraryA, its exports are looked up by ordinal, and the
// dialogs are driven from outside, as a person would (the Cancel button, the error boxes).
//
// tests/scripts/wine_transfers.sh sets the scene and names its folder in BV3_WIN32_E2E_DIR:
// receiver simulators (the Linux stb-sim) on pseudo-terminals behind Com1 to Com3, Com4
// mapped to nothing, the receiver's memory in "receiver-memory.raw" and the simulators' logs in
// "lineN.log" (never "COMN.log": Windows opens a file of that name as the port). It checks what
// only the simulators can tell (the applied memory, read back by an upload under Linux).
// Without the variable every test here is skipped. The script runs each test in a process of
// its own, and the tests on Com1 one after the other.
//
//   Com1: an upload cancelled at once, then the library unloaded; two uploads, the first
//         cancelled in the middle, the second runs to its end.
//   Com2: two downloads of an image built by QnfToQDF; the first is cancelled in the middle.
//   Com3: an upload during which the receiver falls silent and then hangs up.
//   Com4: no device at all.
#include "platform/win32/windows_api.h"
#include "windows_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

using TransferEntry = std::int32_t(__cdecl*)(std::uint32_t, std::uint32_t, const char*);
using QdfEntry = void(__cdecl*)(const char*, const char*, std::uint32_t, std::uint32_t, std::uint32_t);

constexpr int downloadDataOrdinal = 4;
constexpr int uploadDataOrdinal = 6;
constexpr int qnfToQdfOrdinal = 8;

// The transfer export's port argument: 0..3 select Com1..Com4.
constexpr std::uint32_t com1 = 0;
constexpr std::uint32_t com2 = 1;
constexpr std::uint32_t com3 = 2;
constexpr std::uint32_t com4 = 3;
constexpr std::uint32_t baud115200 = 0;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct WindowSearch {
    const char* caption;
    HWND found;
};

BOOL CALLBACK matchOwnWindow(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<WindowSearch*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window)) {
        return TRUE;
    }
    char text[64] = {};
    GetWindowTextA(window, text, sizeof text);
    if (std::strcmp(text, search.caption) == 0) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

// This process's visible top-level window with the given caption, or null.
HWND ownWindow(const char* caption) {
    WindowSearch search{caption, nullptr};
    EnumWindows(matchOwnWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK collectText(HWND child, LPARAM context) {
    char text[1024] = {};
    GetWindowTextA(child, text, sizeof text);
    *reinterpret_cast<std::string*>(context) += std::string(text) + "\n";
    return TRUE;
}

std::string textOfChildren(HWND window) {
    std::string texts;
    EnumChildWindows(window, collectText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

// The gauge sits at (5, 23) in the dialog's client area, its bar 349 columns wide inside a
// one-pixel border; the bar has reached `percent` when that column is no longer the black
// background. Every bar has reached 0 %: column 0 is the border itself, which stays black.
bool gaugeReached(HWND dialog, int percent) {
    if (percent <= 0) {
        return true;
    }
    const int column = static_cast<int>(std::ceil(percent * 349 / 100.0));
    HDC dc = GetDC(dialog);
    const COLORREF pixel = GetPixel(dc, 5 + column, 23 + 3);
    ReleaseDC(dialog, dc);
    return pixel != CLR_INVALID && pixel != RGB(0, 0, 0);
}

// What a person does at a transfer dialog, on a thread of its own while the export's modal
// call runs: it moves the dialog to its own corner of the screen (tests may run side by side
// in several processes), answers the error boxes and remembers their texts, and presses
// Cancel when its rule says so.
class DialogOperator {
public:
    struct Rule {
        const char* caption;
        POINT place;
        int cancelAtPercent = -1;  // press Cancel once the gauge has reached this (0: at once, -1: never)
        bool cancelAfterErrorBox = false;
        // Press Cancel after this long whatever happens: a whole upload under Wine took more
        // than 10 minutes on a loaded 2-core machine.
        DWORD giveUpAfterMs = 1500000;
    };

    explicit DialogOperator(Rule rule) : rule_(rule), thread_([this] { run(); }) {}
    ~DialogOperator() { finish(); }
    DialogOperator(const DialogOperator&) = delete;
    DialogOperator& operator=(const DialogOperator&) = delete;

    // Ends the watch (once the export has returned).
    void finish() {
        if (thread_.joinable()) {
            stop_ = true;
            thread_.join();
        }
    }

    bool dialogSeen() const { return dialogSeen_; }
    bool cancelPressed() const { return cancelPressed_; }
    bool gaveUp() const { return gaveUp_; }
    const std::vector<std::string>& errorBoxes() const { return errorBoxes_; }

private:
    void run() {
        const DWORD start = GetTickCount();
        while (!stop_) {
            if (HWND box = ownWindow("Error"); box != nullptr) {
                errorBoxes_.push_back(textOfChildren(box));
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                while (!stop_ && ownWindow("Error") == box) {
                    Sleep(10);
                }
            }
            HWND dialog = ownWindow(rule_.caption);
            if (dialog != nullptr && !dialogSeen_) {
                dialogSeen_ = true;
                SetWindowPos(dialog, nullptr, rule_.place.x, rule_.place.y, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            if (dialog != nullptr && !cancelPressed_ && wantsCancel(dialog, start)) {
                cancelPressed_ = true;
                PostMessageA(FindWindowExA(dialog, nullptr, "BUTTON", "Cancel"), BM_CLICK, 0, 0);
            }
            Sleep(10);
        }
    }

    bool wantsCancel(HWND dialog, DWORD start) {
        if (GetTickCount() - start > rule_.giveUpAfterMs) {
            gaveUp_ = true;
            return true;
        }
        if (rule_.cancelAfterErrorBox && !errorBoxes_.empty()) {
            return true;
        }
        return rule_.cancelAtPercent >= 0 && gaugeReached(dialog, rule_.cancelAtPercent) && !gaugeReached(dialog, 100);
    }

    Rule rule_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> dialogSeen_{false};
    std::atomic<bool> cancelPressed_{false};
    std::atomic<bool> gaveUp_{false};
    std::vector<std::string> errorBoxes_;  // written by the thread, read after finish()
    std::thread thread_;
};

// Waits (up to 30 s) until the simulator's log holds `line`: the simulator tells when it has
// seen the PC leave, and only then is the next transfer "right after" and not in the middle of
// the old exchange.
bool simulatorSaid(const fs::path& log, const std::string& line) {
    const DWORD start = GetTickCount();
    while (readFile(log).find(line) == std::string::npos) {
        if (GetTickCount() - start > 30000) {
            return false;
        }
        Sleep(10);
    }
    return true;
}

struct ModuleRelease {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using Module = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleRelease>;

class WineTransfer : public testing::Test {
protected:
    void SetUp() override {
        const char* folder = std::getenv("BV3_WIN32_E2E_DIR");
        if (folder == nullptr) {
            GTEST_SKIP() << "BV3_WIN32_E2E_DIR names no folder (tests/scripts/wine_transfers.sh sets the scene)";
        }
        if (!windowsCanBeShown()) {
            GTEST_SKIP() << "no desktop to show the transfer dialogs on";
        }
        folder_ = folder;
        library_.reset(LoadLibraryA("BV3Dll.dll"));
        ASSERT_NE(library_, nullptr) << "BV3Dll.dll did not load, error " << GetLastError();
    }

    template <class Entry>
    Entry entry(int ordinal) const {
        const FARPROC address = GetProcAddress(library_.get(), MAKEINTRESOURCEA(ordinal));
        EXPECT_NE(address, nullptr) << "ordinal " << ordinal;
        Entry found = nullptr;
        static_assert(sizeof found == sizeof address);
        std::memcpy(&found, &address, sizeof found);
        return found;
    }

    // Runs one transfer export with `rule` at the dialog; returns the seconds it took.
    double transfer(int ordinal, std::uint32_t port, const fs::path& file, DialogOperator& person) {
        const DWORD start = GetTickCount();
        const std::int32_t result = entry<TransferEntry>(ordinal)(port, baud115200, file.string().c_str());
        const double seconds = (GetTickCount() - start) / 1000.0;
        person.finish();
        EXPECT_EQ(result, 2);
        EXPECT_TRUE(person.dialogSeen());
        EXPECT_FALSE(person.gaveUp()) << "the transfer did not end in time";
        return seconds;
    }

    // A line for the test script's table of times.
    static void reportTime(const char* what, double seconds) {
        std::printf("bv3-time: %s %.1f\n", what, seconds);
        std::fflush(stdout);
    }

    // Unloads the library the way the editor does as soon as an export has returned; false
    // when FreeLibrary did not come back within 30 s (a thread of the transfer still holding
    // the loader lock would hang it for good).
    bool unloadLibrary() {
        std::atomic<bool> unloaded{false};
        std::thread unloader([this, &unloaded] {
            library_.reset();
            unloaded = true;
        });
        const DWORD start = GetTickCount();
        while (!unloaded && GetTickCount() - start < 30000) {
            Sleep(10);
        }
        if (!unloaded) {
            unloader.detach();  // the process is lost; the test reports it and CTest ends it
            return false;
        }
        unloader.join();
        return true;
    }

    fs::path folder_;

private:
    Module library_;
};

// The editor unloads the library as soon as an export returns. Whatever threads the transfer
// started must be gone by then: the port's event thread ends inside the export, so unloading
// does not wait for it under the loader lock.
TEST_F(WineTransfer, TheLibraryUnloadsRightAfterATransferCancelledAtOnce) {
    const fs::path target = folder_ / "unload.raw";
    DialogOperator person({.caption = "STB to PC", .place = {0, 0}, .cancelAtPercent = 0});
    transfer(uploadDataOrdinal, com1, target, person);
    EXPECT_TRUE(person.cancelPressed());
    EXPECT_TRUE(unloadLibrary()) << "FreeLibrary did not return within 30 s of the transfer";
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(WineTransfer, AnUploadCancelledInTheMiddleLeavesNoFileAndTheNextOneCarriesTheWholeMemory) {
    const fs::path target = folder_ / "upload.raw";
    std::ofstream(target, std::ios::binary) << "an earlier upload";
    {
        DialogOperator person({.caption = "STB to PC", .place = {0, 0}, .cancelAtPercent = 3});
        transfer(uploadDataOrdinal, com1, target, person);
        EXPECT_TRUE(person.cancelPressed());
        EXPECT_TRUE(person.errorBoxes().empty()) << person.errorBoxes().front();
        EXPECT_FALSE(fs::exists(target)) << "Cancel leaves the upload's target behind";
        EXPECT_TRUE(simulatorSaid(folder_ / "line1.log", "closed the line before the end"))
            << "the simulator did not see the cancelled upload end in the middle";
    }
    // Right after on the same port: the cancelled transfer let the port go.
    DialogOperator person({.caption = "STB to PC", .place = {0, 0}});
    const double seconds = transfer(uploadDataOrdinal, com1, target, person);
    EXPECT_FALSE(person.cancelPressed());
    for (const auto& box : person.errorBoxes()) {
        ADD_FAILURE() << "error box: " << box;
    }
    const std::string memory = readFile(folder_ / "receiver-memory.raw");
    ASSERT_EQ(memory.size(), 401408u) << "the scene has no receiver-memory.raw";
    const std::string received = readFile(target);
    EXPECT_EQ(received.size(), memory.size());
    EXPECT_TRUE(received == memory) << "the upload differs from the receiver's memory";
    reportTime("wine-upload", seconds);
}

TEST_F(WineTransfer, ADownloadCancelledInTheMiddleKeepsItsFileAndTheNextOneCarriesTheImageOfQnfToQdf) {
    // QnfToQDF writes its temporary files in the current directory.
    const fs::path previous = fs::current_path();
    fs::current_path(folder_);
    const fs::path image = folder_ / "channels.qdf";
    entry<QdfEntry>(qnfToQdfOrdinal)((fs::path(BV3_SOURCE_DIR) / "samples" / "channels.qnf").string().c_str(),
                                     image.string().c_str(), 3, 4, 0x12345678);
    fs::current_path(previous);
    const std::string built = readFile(image);
    ASSERT_GT(built.size(), 1000u) << "QnfToQDF wrote no image";
    {
        DialogOperator person(
            {.caption = "PC to STB", .place = {600, 0}, .cancelAtPercent = 30, .giveUpAfterMs = 300000});
        transfer(downloadDataOrdinal, com2, image, person);
        EXPECT_TRUE(person.cancelPressed());
        EXPECT_TRUE(person.errorBoxes().empty()) << person.errorBoxes().front();
        EXPECT_TRUE(readFile(image) == built) << "a cancelled download changed its file";
        EXPECT_TRUE(simulatorSaid(folder_ / "line2.log", "closed the line before the end"))
            << "the simulator did not see the cancelled download end in the middle";
    }
    DialogOperator person({.caption = "PC to STB", .place = {600, 0}, .giveUpAfterMs = 300000});
    const double seconds = transfer(downloadDataOrdinal, com2, image, person);
    EXPECT_FALSE(person.cancelPressed());
    for (const auto& box : person.errorBoxes()) {
        ADD_FAILURE() << "error box: " << box;
    }
    EXPECT_TRUE(readFile(image) == built) << "a download changed its file";
    std::printf("bv3-size: wine-download %zu\n", built.size());
    reportTime("wine-download", seconds);
}

TEST_F(WineTransfer, AReceiverThatFallsSilentAndHangsUpIsReportedAndLeavesNoFile) {
    const fs::path target = folder_ / "hung-up.raw";
    DialogOperator person(
        {.caption = "STB to PC", .place = {0, 400}, .cancelAfterErrorBox = true, .giveUpAfterMs = 600000});
    transfer(uploadDataOrdinal, com3, target, person);
    ASSERT_EQ(person.errorBoxes().size(), 1u) << "no error box for the vanished receiver";
    const std::string& told = person.errorBoxes().front();
    EXPECT_NE(told.find("Transfer failed on Com3"), std::string::npos) << told;
    EXPECT_NE(told.find(target.string()), std::string::npos) << told;
    EXPECT_FALSE(fs::exists(target));
    EXPECT_FALSE(fs::exists(target.string() + ".partial"));
}

TEST_F(WineTransfer, APortThatMapsToNothingIsNamedAndTheDialogsStayCancellable) {
    const fs::path file = folder_ / "nothing.raw";
    for (const int ordinal : {uploadDataOrdinal, downloadDataOrdinal}) {
        std::ofstream(file, std::ios::binary) << "an earlier image";
        const char* caption = ordinal == uploadDataOrdinal ? "STB to PC" : "PC to STB";
        DialogOperator person(
            {.caption = caption, .place = {600, 400}, .cancelAfterErrorBox = true, .giveUpAfterMs = 60000});
        transfer(ordinal, com4, file, person);
        EXPECT_TRUE(person.cancelPressed()) << caption;
        ASSERT_EQ(person.errorBoxes().size(), 1u) << caption;
        EXPECT_NE(person.errorBoxes().front().find("Com4"), std::string::npos) << person.errorBoxes().front();
        // Cancel deletes an upload's target; a download only reads its file.
        EXPECT_EQ(fs::exists(file), ordinal == downloadDataOrdinal) << caption;
    }
}

}  // namespace
