// bv3 send against the receiver simulator: the backup, the send and the verification in one
// command, and a verification that catches a receiver that did not take the list.
#include "sim_process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace bv3::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class SendTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory_ = fs::temp_directory_path() / ("bv3-send-" + std::to_string(::getpid()) + "-" +
                                                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(directory_);
        fs::create_directories(directory_);
        // The receiver holds the sample; the list sent is the sample with one service renamed
        // and the menu's time changed.
        bv3({"make-upload", sample(), path("start.raw"), "--variant", "3", "--model", "4"}, 0);
        bv3({"edit", sample(), path("edited.qnf"), "--model", "4", "--rename", "1=Lumen Zwei", "--menu-time", "1:30"},
            0);
    }
    void TearDown() override { fs::remove_all(directory_); }

    std::string path(const std::string& name) const { return (directory_ / name).string(); }
    static std::string sample() { return std::string(BV3_SOURCE_DIR) + "/samples/channels.qnf"; }

    // Runs bv3 to its end; its stdout and stderr together.
    std::string bv3(std::vector<std::string> args, int expected) {
        args.insert(args.begin(), binary("bv3"));
        ChildProcess child(std::move(args), path("bv3-" + std::to_string(step_++)), directory_.string());
        const int status = child.wait(600s);
        const std::string said = child.standardOutput() + child.standardError();
        EXPECT_EQ(status, expected) << said;
        return said;
    }

    std::vector<fs::path> backups() const {
        std::vector<fs::path> files;
        if (fs::exists(directory_ / "backups")) {
            for (const auto& entry : fs::directory_iterator(directory_ / "backups")) {
                files.push_back(entry.path());
            }
        }
        return files;
    }

private:
    fs::path directory_;
    int step_ = 0;
};

TEST_F(SendTest, BacksUpSendsAndVerifies) {
    Simulator sim(path("sim"), {"--memory", path("start.raw"), "--apply", "--sessions", "3", "--wait", "60"});
    const std::string said = bv3({"send", path("edited.qnf"), "--port", sim.device(), "--model", "4", "--variant",
                                  "3", "--backup", path("backups"), "--verify"},
                                 0);
    EXPECT_NE(said.find("step 1 of 3 (backup): start the upload on the receiver"), std::string::npos) << said;
    EXPECT_NE(said.find("step 2 of 3 (send): start the download on the receiver"), std::string::npos) << said;
    EXPECT_NE(said.find("ok: the receiver holds exactly the list you sent"), std::string::npos) << said;
    EXPECT_EQ(sim.wait(60s), 0) << sim.log();
    // The backup is the list the receiver held before: the sample.
    const auto files = backups();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].extension(), ".v3q");
    bv3({"diff", sample(), files[0].string(), "--model", "4"}, 0);
}

TEST_F(SendTest, AReceiverThatDidNotTakeTheListFailsTheVerification) {
    // Without --apply the simulator receives the image and keeps its memory as it was.
    Simulator sim(path("sim"), {"--memory", path("start.raw"), "--sessions", "2", "--wait", "60"});
    const std::string said = bv3({"send", path("edited.qnf"), "--port", sim.device(), "--model", "4", "--variant",
                                  "3", "--verify"},
                                 1);
    EXPECT_NE(said.find("the receiver does not hold the list you sent: 1 service renamed, 1 menu value changed"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("renamed \"Lumen Zwei\" to \"Lumen Two\""), std::string::npos) << said;
    EXPECT_EQ(sim.wait(60s), 0) << sim.log();
}

TEST_F(SendTest, BadInputSendsNothing) {
    // No receiver answers on this port: each refusal must come before the port is opened.
    const std::string port = path("no-such-port");
    fs::create_directories(path("locked"));
    fs::permissions(path("locked"), fs::perms::owner_read | fs::perms::owner_exec);
    {
        std::ofstream corrupt(path("corrupt.qnf"));
        corrupt << "not a channel list\n";
    }
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{path("missing.qnf")}, "no such file"},
        {{path("corrupt.qnf")}, "corrupt.qnf"},
        {{path("edited.qnf"), "--backup", path("edited.qnf")}, "not a folder; nothing was sent"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"send"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        for (const char* option : {"--port", "", "--model", "4", "--variant", "3"}) {
            args.push_back(*option == '\0' ? port : option);
        }
        const std::string said = bv3(args, 1);
        EXPECT_EQ(said.find("step 1"), std::string::npos) << said;
        EXPECT_NE(said.find(c.message), std::string::npos) << said;
    }
    if (::geteuid() != 0) {  // root writes anywhere
        const std::string said = bv3({"send", path("edited.qnf"), "--port", port, "--model", "4", "--variant", "3",
                                      "--backup", path("locked")},
                                     1);
        EXPECT_NE(said.find("cannot be written; nothing was sent"), std::string::npos) << said;
    }
    fs::permissions(path("locked"), fs::perms::owner_all);
}

}  // namespace
}  // namespace bv3::testing
