// A file appears whole under its name or the earlier file stays exactly as it was, and no
// temporary is ever left behind by a failure.
#include "safe_write/safe_write.h"

#include "safe_write/file_system_operations.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace bv3::safewrite {
namespace {

namespace fs = std::filesystem;

class SafeWriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory_ = fs::temp_directory_path() / ("bv3-safe-write-" + std::to_string(::getpid()));
        fs::remove_all(directory_);
        fs::create_directories(directory_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(directory_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(directory_);
    }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(directory_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path directory_;
};

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(SafeWriteTest, ReplacesAnEarlierFileWholeAndKeepsItsPermissions) {
    const fs::path target = directory_ / "upload.raw";
    std::ofstream(target) << std::string(1000, 'x');
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    writeFileSafely(target.string(), std::string_view("\x01\x02\x03", 3));
    EXPECT_EQ(contents(target), std::string("\x01\x02\x03"));
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(entries(), std::vector<std::string>{"upload.raw"});
}

TEST_F(SafeWriteTest, NothingIsVisibleUnderTheNameUntilCommitAndDiscardLeavesTheOldFile) {
    const fs::path target = directory_ / "list.qnf";
    std::ofstream(target) << "old";
    {
        ReplacingFile file(target.string());
        file.write(std::string_view("new and longer"));
        EXPECT_EQ(contents(target), "old");
        EXPECT_EQ(entries().size(), 2u);  // the target and the temporary beside it
        // Destroyed without commit, as when an exception passes.
    }
    EXPECT_EQ(contents(target), "old");
    EXPECT_EQ(entries(), std::vector<std::string>{"list.qnf"});
}

TEST_F(SafeWriteTest, ALinkIsFollowedAndStaysALink) {
    const fs::path real = directory_ / "real.qnf";
    const fs::path link = directory_ / "link.qnf";
    std::ofstream(real) << "old";
    fs::create_symlink(real, link);
    writeFileSafely(link.string(), std::string_view("new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(contents(real), "new");
}

TEST_F(SafeWriteTest, ADeviceIsWrittenInPlaceAndAFullDiskIsAFailure) {
    writeFileSafely("/dev/null", std::string_view("discarded"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    if (fs::exists("/dev/full")) {
        // The last buffered bytes reach the device only when flushed: that must not pass.
        EXPECT_THROW(writeFileSafely("/dev/full", std::string_view("x")), SafeWriteError);
        EXPECT_TRUE(fs::is_character_file("/dev/full"));
    }
}

TEST_F(SafeWriteTest, ATargetThatCannotBeWrittenIsRefusedAtOnceWithTheReason) {
    struct Case {
        const char* name;
        std::function<fs::path(const fs::path&)> prepare;
        const char* reason;
    };
    const Case cases[] = {
        {"no name", [](const fs::path&) { return fs::path(); }, "no file name given"},
        {"missing folder", [](const fs::path& d) { return d / "no-such-folder" / "out.raw"; }, "does not exist"},
        {"target is a folder",
         [](const fs::path& d) {
             fs::create_directories(d / "a-folder");
             return d / "a-folder";
         },
         "it is a folder"},
        {"read-only file",
         [](const fs::path& d) {
             std::ofstream(d / "locked.raw") << "keep me";
             fs::permissions(d / "locked.raw", fs::perms::owner_read);
             return d / "locked.raw";
         },
         "Permission denied"},
    };
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root may write read-only files";
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path target = c.prepare(directory_);
        const auto before = entries();
        try {
            ReplacingFile file(target.string());
            ADD_FAILURE() << "no failure reported";
        } catch (const SafeWriteError& failure) {
            EXPECT_EQ(failure.path(), target.string());
            EXPECT_NE(failure.reason().find(c.reason), std::string::npos) << failure.reason();
            EXPECT_EQ(std::string(failure.what()), "cannot write '" + target.string() + "': " + failure.reason());
        }
        EXPECT_EQ(entries(), before);
    }
    EXPECT_EQ(contents(directory_ / "locked.raw"), "keep me");
}

TEST_F(SafeWriteTest, AnOutputThatIsTheInputIsRefusedThroughLinksAndRelativeNames) {
    const fs::path input = directory_ / "in.raw";
    std::ofstream(input) << "data";
    fs::create_symlink(input, directory_ / "alias.raw");
    EXPECT_THROW(refuseOutputThatIsInput(input.string(), (directory_ / "alias.raw").string()), SafeWriteError);
    EXPECT_THROW(refuseOutputThatIsInput(input.string(), (directory_ / "." / "in.raw").string()), SafeWriteError);
    EXPECT_NO_THROW(refuseOutputThatIsInput(input.string(), (directory_ / "other.raw").string()));
}

// Records every durability call with what the disk holds at that moment, and passes each on to
// the system (or fails the one it is told to).
class RecordingOperations final : public FileSystemOperations {
public:
    std::vector<std::string> calls;
    std::string failing;  // the call that returns an error instead
    fs::path target;

    int syncFile(std::FILE* file) override {
        calls.push_back("sync file (target holds '" + readTarget() + "')");
        return failing == "syncFile" ? EIO : systemFileOperations().syncFile(file);
    }
    int replace(const fs::path& from, const fs::path& to) override {
        calls.push_back("rename temporary '" + readFile(from) + "' over " + to.filename().string());
        return failing == "replace" ? EXDEV : systemFileOperations().replace(from, to);
    }
    int syncFolder(const fs::path& folder) override {
        calls.push_back("sync folder " + folder.filename().string() + " (target holds '" + readTarget() + "')");
        return failing == "syncFolder" ? EIO : systemFileOperations().syncFolder(folder);
    }

private:
    static std::string readFile(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::string readTarget() const { return readFile(target); }
};

TEST_F(SafeWriteTest, TheDataReachesTheDiskBeforeTheRenameAndTheFolderAfterIt) {
    const fs::path target = directory_ / "list.qnf";
    std::ofstream(target) << "old";
    RecordingOperations operations;
    operations.target = target;
    ScopedFileOperations substitute(operations);
    writeFileSafely(target.string(), std::string_view("new"));
    const std::vector<std::string> expected = {
        "sync file (target holds 'old')",
        "rename temporary 'new' over list.qnf",
        "sync folder " + directory_.filename().string() + " (target holds 'new')",
    };
    EXPECT_EQ(operations.calls, expected);
    EXPECT_EQ(contents(target), "new");
}

TEST_F(SafeWriteTest, AFailedFlushToTheDiskKeepsTheOldFileAndIsReported) {
    struct Case {
        const char* failing;
        const char* reason;
        const char* targetAfter;
    };
    const Case cases[] = {
        {"syncFile", "Input/output error", "old"},
        {"replace", "Invalid cross-device link", "old"},
        // The new file is in place but not known to be on the disk: still a failure.
        {"syncFolder", "could not be flushed to the disk: Input/output error", "new"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failing);
        const fs::path target = directory_ / "list.qnf";
        std::ofstream(target) << "old";
        RecordingOperations operations;
        operations.target = target;
        operations.failing = c.failing;
        ScopedFileOperations substitute(operations);
        try {
            writeFileSafely(target.string(), std::string_view("new"));
            ADD_FAILURE() << "no failure reported";
        } catch (const SafeWriteError& failure) {
            EXPECT_NE(failure.reason().find(c.reason), std::string::npos) << failure.reason();
        }
        EXPECT_EQ(contents(target), c.targetAfter);
        EXPECT_EQ(entries(), std::vector<std::string>{"list.qnf"});
    }
}

TEST_F(SafeWriteTest, ADeviceWrittenInPlaceIsNotFlushedToADisk) {
    RecordingOperations operations;
    operations.target = "/dev/null";
    ScopedFileOperations substitute(operations);
    writeFileSafely("/dev/null", std::string_view("discarded"));
    EXPECT_TRUE(operations.calls.empty());
}

// A disk that fills during a save: the save fails naming the file and the reason, the old
// file stays whole and no temporary is left. The child process mounts a 64 KiB tmpfs over the
// folder in a mount namespace of its own (so nothing outside sees it); where the system does
// not allow that, it limits the size of the files it may write instead (ulimit -f), which
// fails the same writes with "File too large".
TEST_F(SafeWriteTest, AFullDiskLeavesTheOldFileWholeAndSaysWhy) {
    const fs::path folder = directory_ / "small-disk";
    fs::create_directories(folder);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::string expected = "No space left on device";
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") != 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{64 * 1024, 64 * 1024};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
                ::_exit(10);
            }
            expected = "File too large";
        }
        const fs::path target = folder / "list.qnf";
        {
            std::ofstream(target) << "the old list";
        }
        try {
            writeFileSafely(target.string(), std::string(200 * 1024, 'x'));
            ::_exit(11);
        } catch (const SafeWriteError& failure) {
            if (failure.path() != target.string() || failure.reason().find(expected) == std::string::npos) {
                std::fprintf(stderr, "message: %s\n", failure.what());
                ::_exit(12);
            }
        }
        std::ifstream in(target);
        const std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::size_t files = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) {
            ++files;
        }
        ::_exit(kept == "the old list" && files == 1 ? 0 : 13);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10: no way to fill a disk, 11: no failure, 12: wrong message, "
                                         "13: the old file changed or a temporary stayed";
}

}  // namespace
}  // namespace bv3::safewrite
