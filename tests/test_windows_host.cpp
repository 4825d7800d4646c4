// A host of our own for the 32-bit Windows library: it loads BV3Dll.dll the way the
// channel-list editor does (LoadLibraryA, then GetProcAddress by ordinal or by name; nothing
// here is linked against the library) and expects of each export what the Linux library
// gives. The conversions are compared with the same conversions run in this process.
//
// The editor passes every argument in a 32-bit slot; for the 8-bit ones it leaves whatever the
// slot held in the upper bytes. The calls below pass garbage there on purpose: the library
// must read the low byte only.
#include "channeldb/channel_database.h"
#include "channeldb/qnf_reader.h"
#include "channeldb/raw_to_qnf.h"
#include "channeldb/raw_writer.h"
#include "channeldb/uploaded_image.h"
#include "platform/win32/windows_api.h"
#include "qdf_reader.h"
#include "windows_test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
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
using namespace bv3::channeldb;

// The editor's view of the exports: 8-bit arguments as whole 32-bit slots, C convention.
using IdleEntry = void(__cdecl*)();
using FileEntry = void(__cdecl*)(const char*, const char*);
using RawEntry = void(__cdecl*)(const char*, const char*, std::uint32_t, std::uint32_t);
using QdfEntry = void(__cdecl*)(const char*, const char*, std::uint32_t, std::uint32_t, std::uint32_t);

constexpr std::uint32_t slotGarbage = 0xA5C3E100;

struct ExportName {
    int ordinal;
    const char* name;
};

constexpr std::array<ExportName, 9> exportTable{{{1, "GetIRDModel"},
                                                 {2, "V3QnfToQnf"},
                                                 {3, "QnfToV3Qnf"},
                                                 {4, "DownloadData"},
                                                 {5, "UploadSystemID"},
                                                 {6, "UploadData"},
                                                 {7, "RawToQnf"},
                                                 {8, "QnfToQDF"},
                                                 {9, "VYRAbout"}}};

struct ModuleRelease {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using Module = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleRelease>;

// BV3Dll.dll and tqrdll12.dll lie beside this program, where the loader looks first.
Module loadLibrary() {
    return Module(LoadLibraryA("BV3Dll.dll"));
}

template <class Entry>
Entry entryAt(HMODULE module, LPCSTR nameOrOrdinal) {
    FARPROC address = GetProcAddress(module, nameOrOrdinal);
    Entry entry = nullptr;
    static_assert(sizeof entry == sizeof address);
    std::memcpy(&entry, &address, sizeof entry);
    return entry;
}

LPCSTR byOrdinal(int ordinal) {
    return MAKEINTRESOURCEA(ordinal);
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path samplePath() {
    return fs::path(BV3_SOURCE_DIR) / "samples" / "channels.qnf";
}

// A folder of its own that is also the current directory while it lives, because QnfToQDF
// writes its temporary files there.
class WorkingFolder {
public:
    WorkingFolder() : previous_(fs::current_path()) {
        path_ = fs::temp_directory_path() /
                ("bv3-windows-host-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(serial_++));
        fs::create_directories(path_);
        fs::current_path(path_);
    }
    ~WorkingFolder() {
        std::error_code ignored;
        fs::current_path(previous_, ignored);
        fs::remove_all(path_, ignored);
    }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;
    fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    static inline int serial_ = 0;
    fs::path previous_;
    fs::path path_;
};

TEST(WindowsExports, EveryOrdinalAndNameLeadToTheSameEntry) {
    const Module library = loadLibrary();
    ASSERT_NE(library, nullptr) << "BV3Dll.dll did not load, error " << GetLastError();
    for (const auto& entry : exportTable) {
        const FARPROC named = GetProcAddress(library.get(), entry.name);
        EXPECT_NE(named, nullptr) << entry.name;
        EXPECT_EQ(named, GetProcAddress(library.get(), byOrdinal(entry.ordinal))) << entry.name;
    }
    EXPECT_EQ(GetProcAddress(library.get(), byOrdinal(10)), nullptr);
    // The C convention exports carry no decoration a host would have to spell.
    EXPECT_EQ(GetProcAddress(library.get(), "_RawToQnf"), nullptr);
    EXPECT_EQ(GetProcAddress(library.get(), "QnfToQDF@20"), nullptr);
}

TEST(WindowsExports, TheStandInEncoderOffersItsEntryUndecorated) {
    const Module encoder(LoadLibraryA("tqrdll12.dll"));
    ASSERT_NE(encoder, nullptr) << "tqrdll12.dll did not load, error " << GetLastError();
    EXPECT_NE(GetProcAddress(encoder.get(), "EncodeQDF"), nullptr);
    EXPECT_EQ(GetProcAddress(encoder.get(), "EncodeQDF@8"), nullptr);
}

// Each case below runs once with the entries looked up by ordinal and once by name.
class WindowsHost : public testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        library_ = loadLibrary();
        ASSERT_NE(library_, nullptr) << "BV3Dll.dll did not load, error " << GetLastError();
    }

    template <class Entry>
    Entry entry(int ordinal) const {
        const LPCSTR key = GetParam() ? byOrdinal(ordinal) : exportTable.at(static_cast<std::size_t>(ordinal - 1)).name;
        const auto found = entryAt<Entry>(library_.get(), key);
        EXPECT_NE(found, nullptr) << "export " << ordinal;
        return found;
    }

private:
    Module library_;
};

TEST_P(WindowsHost, CompressionRoundTripRestoresTheList) {
    const WorkingFolder folder;
    const std::string original = readFile(samplePath());
    ASSERT_FALSE(original.empty());
    const fs::path packed = folder / "channels.v3q";
    const fs::path restored = folder / "restored.qnf";

    entry<FileEntry>(3)(samplePath().string().c_str(), packed.string().c_str());
    const std::string container = readFile(packed);
    ASSERT_GT(container.size(), 8u);
    EXPECT_EQ(container.substr(0, 4), "!HZL");
    EXPECT_LT(container.size(), original.size());

    entry<FileEntry>(2)(packed.string().c_str(), restored.string().c_str());
    EXPECT_EQ(readFile(restored), original);
}

struct Selectors {
    std::uint8_t configVariant;
    std::uint8_t modelCode;
};

TEST_P(WindowsHost, RawToQnfWritesWhatTheConversionWrites) {
    ChannelDatabase db;
    readQnfFile(samplePath().string(), db);
    for (const Selectors selectors : {Selectors{3, 5}, Selectors{0, 1}, Selectors{1, 4}}) {
        const WorkingFolder folder;
        const fs::path raw = folder / "upload.raw";
        const auto upload = composeUploadedImage(buildConfigImage(db, selectors.configVariant, selectors.modelCode),
                                                 buildServiceImage(db, selectors.modelCode), selectors.modelCode);
        writeImageFile(raw.string(), upload);
        const fs::path expected = folder / "expected.qnf";
        rawToQnf(raw.string(), expected.string(), selectors.configVariant, selectors.modelCode);

        const fs::path written = folder / "written.qnf";
        entry<RawEntry>(7)(raw.string().c_str(), written.string().c_str(), slotGarbage | selectors.configVariant,
                           slotGarbage | selectors.modelCode);
        EXPECT_EQ(readFile(written), readFile(expected)) << "model " << int{selectors.modelCode};
    }
}

struct QdfCase {
    Selectors selectors;
    std::uint32_t serviceAddress;
};

TEST_P(WindowsHost, QnfToQdfBuildsTheImagesThroughTheStandInEncoder) {
    ChannelDatabase db;
    readQnfFile(samplePath().string(), db);
    for (const QdfCase& c : {QdfCase{{3, 5}, 0xB0000}, QdfCase{{0, 4}, 0xA0000}}) {
        const WorkingFolder folder;
        const fs::path qdf = folder / "channels.qdf";
        entry<QdfEntry>(8)(samplePath().string().c_str(), qdf.string().c_str(), slotGarbage | c.selectors.configVariant,
                           slotGarbage | c.selectors.modelCode, 0x12345678);

        const std::string image = readFile(qdf);
        ASSERT_FALSE(image.empty()) << "no download image written";
        const auto report =
            bv3::qdf::decodeQdfImage(std::span(reinterpret_cast<const std::uint8_t*>(image.data()), image.size()));
        const auto config = buildConfigImage(db, c.selectors.configVariant, c.selectors.modelCode);
        const auto service = buildServiceImage(db, c.selectors.modelCode);
        ASSERT_EQ(report.blocks.size(), 3u);
        EXPECT_EQ(report.blocks[0].address, 0u);
        EXPECT_EQ(report.blocks[0].data, config);
        EXPECT_EQ(report.blocks[1].address, 0x2000u);
        EXPECT_EQ(report.blocks[1].data, config);
        EXPECT_EQ(report.blocks[2].address, c.serviceAddress);
        EXPECT_EQ(report.blocks[2].data, service);
        for (const char* temporary : {"qorda.cfg", "Config.raw", "Service.raw"}) {
            EXPECT_FALSE(fs::exists(folder / temporary)) << temporary << " was left behind";
        }
    }
}

// A visible top-level window of this process with the caption: the library's windows only,
// never a window of another program on the same desktop that happens to carry the caption.
struct WindowSearch {
    const char* caption;
    HWND found;
};

BOOL CALLBACK matchOwnVisibleWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) && std::strcmp(text, search->caption) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND ownVisibleWindow(const char* caption) {
    WindowSearch search{caption, nullptr};
    EnumWindows(matchOwnVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Waits, with a bound generous for a loaded machine, until the window is gone or hidden.
void waitUntilGone(HWND window) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (IsWindow(window) && IsWindowVisible(window) && std::chrono::steady_clock::now() < deadline) {
        Sleep(10);
    }
}

// How long a watcher waits for a window the library is about to show.
constexpr auto windowAppearsWithin = std::chrono::seconds(60);

// Answers the library's error boxes while it lives, remembering their texts: on a desktop
// (the virtual display of the test run) a box would otherwise wait for a person forever.
class ErrorBoxAnswerer {
public:
    ErrorBoxAnswerer()
        : thread_([this] {
              while (!stop_) {
                  if (HWND box = ownVisibleWindow("Error")) {
                      EnumChildWindows(box, collectText, reinterpret_cast<LPARAM>(&texts_));
                      PostMessageA(box, WM_COMMAND, IDOK, 0);
                      waitUntilGone(box);
                  }
                  Sleep(20);
              }
          }) {}
    ~ErrorBoxAnswerer() { finish(); }
    ErrorBoxAnswerer(const ErrorBoxAnswerer&) = delete;
    ErrorBoxAnswerer& operator=(const ErrorBoxAnswerer&) = delete;

    // Stops answering (after the calls have returned) and hands over what the boxes said.
    std::string finish() {
        if (thread_.joinable()) {
            stop_ = true;
            thread_.join();
        }
        return texts_;
    }

private:
    static BOOL CALLBACK collectText(HWND child, LPARAM texts) {
        char text[1024] = {};
        GetWindowTextA(child, text, sizeof text);
        *reinterpret_cast<std::string*>(texts) += std::string(text) + "\n";
        return TRUE;
    }
    std::atomic<bool> stop_{false};
    std::string texts_;
    std::thread thread_;
};

TEST_P(WindowsHost, AFailureStaysInsideTheCallAndNamesTheFile) {
    // On a desktop the error box tells; without one the text goes to the error output.
    const WorkingFolder folder;
    const fs::path missing = folder / "missing.qnf";
    const fs::path qdf = folder / "never.qdf";
    ErrorBoxAnswerer answerer;
    testing::internal::CaptureStderr();
    entry<QdfEntry>(8)(missing.string().c_str(), qdf.string().c_str(), 3, 5, 0);
    entry<RawEntry>(7)(missing.string().c_str(), qdf.string().c_str(), 3, 5);
    const std::string told = testing::internal::GetCapturedStderr() + answerer.finish();
    EXPECT_NE(told.find("missing.qnf"), std::string::npos) << told;
    EXPECT_FALSE(fs::exists(qdf));
    for (const char* temporary : {"qorda.cfg", "Config.raw", "Service.raw"}) {
        EXPECT_FALSE(fs::exists(folder / temporary)) << temporary << " was left behind";
    }
}

// What a person would see of the about box, read from outside while it is open.
struct SeenWindow {
    bool found = false;
    RECT frame{};
    RECT client{};
    LONG style = 0;
    bool hostDisabled = false;
};

TEST_P(WindowsHost, TheAboutBoxShowsItsLayoutAndReturnsTheCancelResult) {
    using AboutEntry = std::int32_t(__cdecl*)();
    if (!windowsCanBeShown()) {
        // Without a desktop the box cannot open: the call still returns 2 and says why.
        testing::internal::CaptureStderr();
        EXPECT_EQ(entry<AboutEntry>(9)(), 2);
        const std::string told = testing::internal::GetCapturedStderr();
        EXPECT_NE(told.find("BV3 DLL"), std::string::npos) << told;
        GTEST_SKIP() << "no desktop to show the about box on";
    }
    // A host window of this thread, which the modal box must disable while it is open.
    HWND host = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    SeenWindow seen;
    std::thread watcher([&seen, host] {
        const auto deadline = std::chrono::steady_clock::now() + windowAppearsWithin;
        while (!seen.found && std::chrono::steady_clock::now() < deadline) {
            if (HWND box = ownVisibleWindow("BV3 DLL")) {
                seen.found = true;
                GetWindowRect(box, &seen.frame);
                GetClientRect(box, &seen.client);
                seen.style = GetWindowLongA(box, GWL_STYLE);
                seen.hostDisabled = IsWindowEnabled(host) == FALSE;
                PostMessageA(box, WM_CLOSE, 0, 0);
                return;
            }
            Sleep(20);
        }
    });
    const std::int32_t result = entry<AboutEntry>(9)();
    watcher.join();
    EXPECT_EQ(result, 2);
    ASSERT_TRUE(seen.found) << "the about box never appeared";
    EXPECT_EQ(seen.frame.left, 498);
    EXPECT_EQ(seen.frame.top, 388);
    EXPECT_EQ(seen.client.right - seen.client.left, 155);
    EXPECT_EQ(seen.client.bottom - seen.client.top, 43);
    EXPECT_NE(seen.style & WS_SYSMENU, 0);
    EXPECT_EQ(seen.style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    EXPECT_TRUE(seen.hostDisabled);
    EXPECT_TRUE(IsWindowEnabled(host)) << "the host stays disabled after the box closed";
    DestroyWindow(host);
}

// What a person would see of a transfer dialog, read from outside while it is open.
struct SeenDialog {
    bool found = false;
    RECT client{};
    LONG extendedStyle = 0;
};

// Waits for the dialog with `caption`, answering the error box of a port that cannot be
// opened on the way, reads it and presses its Cancel button.
SeenDialog cancelDialogWhenShown(const char* caption) {
    SeenDialog seen;
    const auto deadline = std::chrono::steady_clock::now() + windowAppearsWithin;
    while (!seen.found && std::chrono::steady_clock::now() < deadline) {
        if (HWND box = ownVisibleWindow("Error")) {
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            waitUntilGone(box);
        }
        HWND dialog = ownVisibleWindow(caption);
        if (dialog != nullptr && ownVisibleWindow("Error") == nullptr) {
            seen.found = true;
            GetClientRect(dialog, &seen.client);
            seen.extendedStyle = GetWindowLongA(dialog, GWL_EXSTYLE);
            PostMessageA(FindWindowExA(dialog, nullptr, "BUTTON", "Cancel"), BM_CLICK, 0, 0);
        }
        Sleep(20);
    }
    return seen;
}

TEST_P(WindowsHost, TheTransferDialogsOpenAndCancelReturnsTheCancelResult) {
    using TransferEntry = std::int32_t(__cdecl*)(std::uint32_t, std::uint32_t, const char*);
    const WorkingFolder folder;
    const fs::path target = folder / "upload.raw";
    if (!windowsCanBeShown()) {
        // Without a desktop the dialog cannot open: the call still returns 2 and says why.
        testing::internal::CaptureStderr();
        EXPECT_EQ(entry<TransferEntry>(6)(0xABCDEF03u, 0x12345600u, target.string().c_str()), 2);
        const std::string told = testing::internal::GetCapturedStderr();
        EXPECT_NE(told.find("STB to PC"), std::string::npos) << told;
        GTEST_SKIP() << "no desktop to show the transfer dialogs on";
    }
    struct Case {
        int ordinal;
        const char* caption;
        LONG clientWidth;
        LONG clientHeight;
        bool fileRemains;
    };
    for (const Case c : {Case{6, "STB to PC", 362, 59, false}, Case{4, "PC to STB", 358, 58, true}}) {
        std::ofstream(target, std::ios::binary) << "an earlier image";
        SeenDialog seen;
        std::thread watcher([&seen, &c] { seen = cancelDialogWhenShown(c.caption); });
        // The upper bytes of the 8-bit arguments' slots are not the library's to read.
        const std::int32_t result = entry<TransferEntry>(c.ordinal)(0xABCDEF03u, 0x12345600u, target.string().c_str());
        watcher.join();
        EXPECT_EQ(result, 2) << c.caption;
        ASSERT_TRUE(seen.found) << c.caption << " never appeared";
        EXPECT_EQ(seen.client.right, c.clientWidth) << c.caption;
        EXPECT_EQ(seen.client.bottom, c.clientHeight) << c.caption;
        EXPECT_NE(seen.extendedStyle & WS_EX_TOPMOST, 0) << c.caption;
        // Cancel deletes an upload's target; a download only reads its file.
        EXPECT_EQ(fs::exists(target), c.fileRemains) << c.caption;
    }
}

// Whether `module` has registered a window class of that name.
bool classOf(HMODULE module, const char* name) {
    WNDCLASSEXA info{};
    info.cbSize = sizeof info;
    return GetClassInfoExA(module, name, &info) != 0;
}

// Shows the about box and a transfer dialog (its port cannot be opened) and closes them.
void useTheWindows(HMODULE library) {
    using AboutEntry = std::int32_t(__cdecl*)();
    using TransferEntry = std::int32_t(__cdecl*)(std::uint32_t, std::uint32_t, const char*);
    std::thread closer([] {
        const auto deadline = std::chrono::steady_clock::now() + windowAppearsWithin;
        while (std::chrono::steady_clock::now() < deadline) {
            if (HWND box = ownVisibleWindow("BV3 DLL")) {
                PostMessageA(box, WM_CLOSE, 0, 0);
                return;
            }
            Sleep(20);
        }
    });
    EXPECT_EQ(entryAt<AboutEntry>(library, "VYRAbout")(), 2);
    closer.join();
    const WorkingFolder folder;
    SeenDialog seen;
    std::thread watcher([&seen] { seen = cancelDialogWhenShown("PC to STB"); });
    EXPECT_EQ(entryAt<TransferEntry>(library, "DownloadData")(3, 0, (folder / "image.qdf").string().c_str()), 2);
    watcher.join();
    EXPECT_TRUE(seen.found) << "the download dialog never appeared";
}

// A host may free the library after a call and load it again for the next, perhaps at another
// address. The library's window classes are its own (not the host's) and go with it, so the
// next copy registers its own and never reaches a window procedure of the unloaded one.
TEST(WindowsLibraryLifetime, ItsWindowClassesGoWithItAndAReloadedCopyShowsItsWindowsAgain) {
    if (!windowsCanBeShown()) {
        GTEST_SKIP() << "no desktop to show the library's windows on";
    }
    constexpr std::array<const char*, 3> classes{"BV3NativeForm", "BV3NativeDialog", "BV3UiThread"};
    HMODULE host = GetModuleHandleA(nullptr);
    Module first = loadLibrary();
    ASSERT_NE(first, nullptr) << "BV3Dll.dll did not load, error " << GetLastError();
    useTheWindows(first.get());
    const HMODULE firstAddress = first.get();
    for (const char* name : classes) {
        EXPECT_TRUE(classOf(firstAddress, name)) << name << " is not registered under the library";
        EXPECT_FALSE(classOf(host, name)) << name << " is registered under the host's program";
    }
    first.reset();
    for (const char* name : classes) {
        EXPECT_FALSE(classOf(firstAddress, name)) << name << " outlived the library";
    }
    // Where the first copy lay is taken, so the second one loads elsewhere (where Windows can
    // move it; at the same place, the test still shows that nothing of the first copy is used).
    void* taken = VirtualAlloc(firstAddress, 0x10000, MEM_RESERVE, PAGE_NOACCESS);
    Module second = loadLibrary();
    ASSERT_NE(second, nullptr) << "BV3Dll.dll did not load again, error " << GetLastError();
    useTheWindows(second.get());
    for (const char* name : classes) {
        EXPECT_TRUE(classOf(second.get(), name)) << name << " is not registered under the reloaded library";
    }
    second.reset();
    if (taken != nullptr) {
        VirtualFree(taken, 0, MEM_RELEASE);
    }
}

TEST_P(WindowsHost, TheIdleExportsDoNothing) {
    const WorkingFolder folder;
    entry<IdleEntry>(1)();
    entry<IdleEntry>(5)();
    EXPECT_TRUE(fs::is_empty(folder / ""));
}

INSTANTIATE_TEST_SUITE_P(LookUp, WindowsHost, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "ByOrdinal" : "ByName"; });

}  // namespace
