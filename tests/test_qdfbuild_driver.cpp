// The QnfToQDF driver end to end against a spy encoder: what the encoder is given, in which
// order the temporaries come and go, and every way a build can fail.
#include "BV3Dll.h"
#include "channeldb/channel_database.h"
#include "channeldb/conversion_error.h"
#include "channeldb/qnf_reader.h"
#include "channeldb/raw_writer.h"
#include "qdf_test_support.h"
#include "qdfbuild/loader_config_writer.h"
#include "qdfbuild/qdf_build.h"
#include "qdfbuild/qdf_build_error.h"
#include "ui/message_box.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using bv3::qdfbuild::QdfBuildError;
using bv3::qdfbuild::QdfBuildSettings;
using bv3::qdfbuild::runQdfBuild;
using bv3::test::readBytes;
using bv3::test::readText;
using bv3::test::writeText;

const char* const temporaryNames[] = {"qorda.cfg", "Config.raw", "Service.raw"};

// A small channel list of our own: one satellite, `services` video services named after
// `label`, so two lists differ in every image they lay out to.
std::string channelList(int services, const std::string& label) {
    std::string text = "[BREVORA V3 FILE]\r\n[ANTENNA]\r\n";
    for (int antenna = 0; antenna < 16; ++antenna) {
        text += std::to_string(antenna) + "\t4294967295\t0\t0\t0\t0\t0\t0\t" + (antenna == 0 ? label : "") + "\r\n";
    }
    text += "[TS]\r\n1\t0\t11778\t27500\t0\t0\t1\t1\r\n";
    text += "[NETWORK]\r\n" + label + " Net\r\n";
    text += "[PROVIDER]\r\n" + label + " Media\r\n";
    text += "[FAVORITE]\r\n[SERVICE]\r\n";
    for (int service = 0; service < services; ++service) {
        text += "V\t" + std::to_string(100 + service) + "\t" + std::to_string(200 + service) + "\t" +
                std::to_string(300 + service) + "\t0\t0\t0\tFALSE\tFALSE\tTRUE\t0\t0\t" + label + " " +
                std::to_string(service + 1) + "\t0\r\n";
    }
    text += "[MENU]\r\n";
    for (int value = 0; value < 44; ++value) {
        text += value == 0 ? "1" : "\t0";
    }
    return text + "\r\n";
}

struct ExpectedImages {
    std::vector<std::uint8_t> config;
    std::vector<std::uint8_t> service;
};

// What the build should hand the encoder: the channel list read into a fresh database.
ExpectedImages expectedImages(const std::string& qnfText, std::uint8_t configVariant, std::uint8_t modelCode) {
    auto database = std::make_unique<bv3::channeldb::ChannelDatabase>();
    std::istringstream in(qnfText);
    bv3::channeldb::readQnf(in, *database, "expected.qnf");
    return {bv3::channeldb::buildConfigImage(*database, configVariant, modelCode),
            bv3::channeldb::buildServiceImage(*database, modelCode)};
}

class QdfBuildTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("BV3_SPY_DIR", spyDirectory().c_str(), 1);
        unsetenv("BV3_SPY_MODE");
    }
    void TearDown() override {
        unsetenv("BV3_SPY_DIR");
        unsetenv("BV3_SPY_MODE");
    }

    fs::path spyDirectory() const { return scratch_.path() / "spy"; }
    fs::path spyCopy(int call, const std::string& name) const {
        return spyDirectory() / (std::to_string(call) + "-" + name);
    }
    std::vector<std::string> spyCalls() const {
        std::vector<std::string> calls;
        std::istringstream log(readText(spyDirectory() / "calls.log"));
        for (std::string line; std::getline(log, line);) {
            calls.push_back(line);
        }
        return calls;
    }

    // Writes the channel list to "in.qnf" and builds from it as the converter does.
    void build(const std::string& qnfText, QdfBuildSettings settings) {
        writeText("in.qnf", qnfText);
        std::ifstream qnf("in.qnf", std::ios::binary);
        settings.qnfName = "in.qnf";
        runQdfBuild(qnf, settings);
    }

    void expectNoTemporaries() const {
        for (const char* name : temporaryNames) {
            EXPECT_FALSE(fs::exists(name)) << name << " was left behind";
        }
    }

    bv3::test::ScratchDirectory scratch_;
};

TEST_F(QdfBuildTest, CallsTheEncoderOnceWithTheConfigurationAndTheOutputPathUnchanged) {
    fs::create_directory("images dir");
    const std::string absolute = (scratch_.path() / "abs.qdf").string();
    for (const std::string& output : {std::string("out.qdf"), std::string("images dir/x.qdf"), absolute}) {
        SCOPED_TRACE(output);
        fs::remove(spyDirectory() / "calls.log");
        build(channelList(2, "Alpha"), {.qdfPath = output, .modelCode = 2, .headerId = 0x12345678u});
        EXPECT_EQ(spyCalls(), std::vector<std::string>{"qorda.cfg\t" + output});
        EXPECT_EQ(readText(output).substr(0, 8), "SPY QDF\n");
        expectNoTemporaries();
    }
}

struct SelectorCase {
    std::uint8_t configVariant;
    std::uint8_t modelCode;
    std::uint32_t headerId;
};

void PrintTo(const SelectorCase& c, std::ostream* os) {
    *os << "variant " << int(c.configVariant) << " model " << int(c.modelCode) << " id " << c.headerId;
}

class QdfBuildImages : public QdfBuildTest, public testing::WithParamInterface<SelectorCase> {};

// During the call the three temporaries exist and hold the channel list's images and the
// loader configuration for this call's selectors.
TEST_P(QdfBuildImages, TheEncoderSeesTheImagesAndTheConfigurationOfThisCall) {
    const auto [configVariant, modelCode, headerId] = GetParam();
    const std::string qnf = channelList(3, "Beta");
    build(qnf, {.qdfPath = "out.qdf", .configVariant = configVariant, .modelCode = modelCode, .headerId = headerId});

    const auto expected = expectedImages(qnf, configVariant, modelCode);
    EXPECT_EQ(readText(spyCopy(1, "qorda.cfg")),
              bv3::qdfbuild::formatLoaderConfig(headerId, modelCode, "Config.raw", "Service.raw"));
    EXPECT_EQ(readBytes(spyCopy(1, "Config.raw")), expected.config);
    EXPECT_EQ(readBytes(spyCopy(1, "Service.raw")), expected.service);
    expectNoTemporaries();
}

INSTANTIATE_TEST_SUITE_P(Selectors, QdfBuildImages,
                         testing::Values(SelectorCase{0, 0, 0x12345678u}, SelectorCase{2, 1, 0u},
                                         SelectorCase{4, 4, 0xFFFFFFFFu}, SelectorCase{5, 5, 0x00000FFFu}));

// The build would overwrite a file of a temporary's name and then delete it: a user's own
// "Service.raw" (even the build's input under that name) would be lost. It is refused instead,
// before anything is written, and the file stays as it was.
TEST_F(QdfBuildTest, AFileWithATemporarysNameIsNeverTouched) {
    for (const char* name : temporaryNames) {
        SCOPED_TRACE(name);
        writeText(name, "the user's own");
        try {
            build(channelList(1, "Gamma"), {.qdfPath = "out.qdf", .modelCode = 0, .headerId = 7});
            ADD_FAILURE() << "the build went ahead";
        } catch (const QdfBuildError& failure) {
            EXPECT_NE(std::string(failure.what()).find("\"" + std::string(name) + "\" already exists"), std::string::npos)
                << failure.what();
        }
        EXPECT_EQ(readText(name), "the user's own");
        EXPECT_FALSE(fs::exists(spyDirectory() / "calls.log"));
        EXPECT_FALSE(fs::exists("out.qdf"));
        fs::remove(name);
        expectNoTemporaries();
    }
    // The build's own input under a temporary's name.
    writeText("Service.raw", channelList(1, "Gamma"));
    std::ifstream qnf("Service.raw", std::ios::binary);
    EXPECT_THROW(runQdfBuild(qnf, {.qnfName = "Service.raw", .qdfPath = "out.qdf"}), QdfBuildError);
    EXPECT_EQ(readText("Service.raw"), channelList(1, "Gamma"));
}

// A list cut off before its menu, or one without services, would empty the receiver.
TEST_F(QdfBuildTest, AListCutOffOrWithoutServicesBuildsNothing) {
    const std::string whole = channelList(3, "Omega");
    struct Case {
        const char* name;
        std::string text;
        bool allowEmpty;
        const char* mentioned;
    };
    const Case cases[] = {
        {"header only", "[BREVORA V3 FILE]\r\n", false, "in.qnf: line 1: the list ends here"},
        {"cut in the services", whole.substr(0, whole.find("Omega 2")), false, "without its [MENU] line"},
        {"no services", channelList(0, "Omega"), false, "holds no services"},
        {"cut, even when empty is allowed", "[BREVORA V3 FILE]\r\n", true, "without its [MENU] line"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            build(c.text, {.qdfPath = "out.qdf", .allowEmpty = c.allowEmpty});
            ADD_FAILURE() << "the build went ahead";
        } catch (const std::exception& failure) {
            EXPECT_NE(std::string(failure.what()).find(c.mentioned), std::string::npos) << failure.what();
        }
        EXPECT_FALSE(fs::exists(spyDirectory() / "calls.log"));
        EXPECT_FALSE(fs::exists("out.qdf"));
        expectNoTemporaries();
    }
    EXPECT_NO_THROW(build(channelList(0, "Omega"), {.qdfPath = "out.qdf", .allowEmpty = true}));
    EXPECT_TRUE(fs::exists("out.qdf"));
}

TEST_F(QdfBuildTest, AnOutputThatIsTheListOrCannotBeWrittenIsRefusedBeforeAnyWork) {
    writeText("in.qnf", channelList(1, "Pi"));
    fs::create_symlink("in.qnf", "alias.qnf");
    EXPECT_THROW(build(channelList(1, "Pi"), {.qdfPath = "alias.qnf"}), std::exception);
    EXPECT_EQ(readText("in.qnf"), channelList(1, "Pi"));
    EXPECT_THROW(build(channelList(1, "Pi"), {.qdfPath = "no-such-folder/out.qdf"}), QdfBuildError);
    EXPECT_FALSE(fs::exists(spyDirectory() / "calls.log"));
    expectNoTemporaries();
}

// Nothing of one build reaches the next: not the channels, not the selectors.
TEST_F(QdfBuildTest, SuccessiveBuildsAreIndependent) {
    const std::string first = channelList(5, "Delta");
    const std::string second = channelList(1, "Echo");
    build(first, {.qdfPath = "one.qdf", .configVariant = 0, .modelCode = 0, .headerId = 0x11111111u});
    build(second, {.qdfPath = "two.qdf", .configVariant = 3, .modelCode = 1, .headerId = 0x22222222u});

    EXPECT_EQ(spyCalls(), (std::vector<std::string>{"qorda.cfg\tone.qdf", "qorda.cfg\ttwo.qdf"}));
    const auto expected = expectedImages(second, 3, 1);
    EXPECT_EQ(readBytes(spyCopy(2, "Config.raw")), expected.config);
    EXPECT_EQ(readBytes(spyCopy(2, "Service.raw")), expected.service);
    EXPECT_EQ(readText(spyCopy(2, "qorda.cfg")),
              bv3::qdfbuild::formatLoaderConfig(0x22222222u, 1, "Config.raw", "Service.raw"));
    EXPECT_NE(readBytes(spyCopy(1, "Service.raw")), expected.service);
    expectNoTemporaries();
}

// A file that is not a channel list stops the build: building on regardless would send the
// receiver an empty channel list.
TEST_F(QdfBuildTest, ACorruptHeaderStopsTheBuildBeforeAnythingIsWritten) {
    for (const std::string& text : {std::string(), std::string("[BREVORA V3 FILE] \r\n"), std::string("hello\r\n")}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(build(text, {.qdfPath = "out.qdf"}), bv3::channeldb::CorruptQnfHeader);
        EXPECT_FALSE(fs::exists(spyDirectory() / "calls.log"));
        EXPECT_FALSE(fs::exists("out.qdf"));
        expectNoTemporaries();
    }
}

TEST_F(QdfBuildTest, AChannelListTheReaderRefusesBuildsNothing) {
    // A blank line in the menu section is a menu line whose last column is empty.
    EXPECT_THROW(build("[BREVORA V3 FILE]\r\n[MENU]\r\n\r\n", {.qdfPath = "out.qdf"}), bv3::channeldb::ConversionError);
    EXPECT_FALSE(fs::exists(spyDirectory() / "calls.log"));
    EXPECT_FALSE(fs::exists("out.qdf"));
    expectNoTemporaries();
}

TEST_F(QdfBuildTest, AModelCodeThatNamesNoReceiverIsRefused) {
    for (const int model : {6, 200, 255}) {
        try {
            build(channelList(1, "Zeta"), {.qdfPath = "out.qdf", .modelCode = static_cast<std::uint8_t>(model)});
            ADD_FAILURE() << "model " << model << " was accepted";
        } catch (const QdfBuildError& failure) {
            EXPECT_NE(std::string(failure.what()).find("model code " + std::to_string(model)), std::string::npos)
                << failure.what();
        }
        EXPECT_FALSE(fs::exists(spyDirectory() / "calls.log"));
        expectNoTemporaries();
    }
}

TEST_F(QdfBuildTest, AnOutputNamedLikeATemporaryIsRefusedBeforeAnyWork) {
    fs::create_directory("sub");
    for (const std::string& output : {std::string("Service.raw"), std::string("./qorda.cfg"),
                                      std::string("sub/../Config.raw"), (scratch_.path() / "Config.raw").string()}) {
        SCOPED_TRACE(output);
        try {
            build(channelList(1, "Xi"), {.qdfPath = output});
            ADD_FAILURE() << "accepted";
        } catch (const QdfBuildError& failure) {
            EXPECT_NE(std::string(failure.what()).find("temporary file"), std::string::npos) << failure.what();
        }
        EXPECT_FALSE(fs::exists(spyDirectory() / "calls.log"));
        expectNoTemporaries();
    }
    // The same name elsewhere is an ordinary output.
    EXPECT_NO_THROW(build(channelList(1, "Xi"), {.qdfPath = "sub/Config.raw"}));
    EXPECT_TRUE(fs::exists("sub/Config.raw"));
}

struct MissingEncoderCase {
    const char* library;
    const char* mentioned;  // in the message besides the library's name
};

void PrintTo(const MissingEncoderCase& c, std::ostream* os) {
    *os << c.library;
}

class QdfBuildMissingEncoder : public QdfBuildTest, public testing::WithParamInterface<MissingEncoderCase> {};

TEST_P(QdfBuildMissingEncoder, NothingIsCalledAndEverythingIsCleanedUp) {
    try {
        build(channelList(1, "Eta"), {.qdfPath = "out.qdf", .encoderLibrary = GetParam().library});
        FAIL() << "the build succeeded";
    } catch (const QdfBuildError& failure) {
        const std::string message = failure.what();
        EXPECT_NE(message.find(std::string("\"") + GetParam().library + "\""), std::string::npos) << message;
        EXPECT_NE(message.find(GetParam().mentioned), std::string::npos) << message;
    }
    EXPECT_FALSE(fs::exists(spyDirectory() / "calls.log"));
    EXPECT_FALSE(fs::exists("out.qdf"));
    expectNoTemporaries();
}

INSTANTIATE_TEST_SUITE_P(Libraries, QdfBuildMissingEncoder,
                         testing::Values(MissingEncoderCase{"qdf-absent-encoder.dll", "libqdf-absent-encoder.so"},
                                         MissingEncoderCase{"spynoentry.dll", "has no entry EncodeQDF"}));

// The encoder's result says nothing; an image that was not written is a failed build.
TEST_F(QdfBuildTest, AnEncoderThatWritesNothingFailsTheBuild) {
    for (const char* mode : {"nothing", "fail"}) {
        SCOPED_TRACE(mode);
        setenv("BV3_SPY_MODE", mode, 1);
        try {
            build(channelList(1, "Theta"), {.qdfPath = "out.qdf"});
            FAIL() << "the build succeeded";
        } catch (const QdfBuildError& failure) {
            EXPECT_NE(std::string(failure.what()).find("without writing the download image \"out.qdf\""),
                      std::string::npos)
                << failure.what();
        }
        expectNoTemporaries();
    }
    EXPECT_EQ(spyCalls().size(), 2u);
}

TEST_F(QdfBuildTest, AnOlderImageOfTheSameNameDoesNotPassForANewOne) {
    writeText("out.qdf", "an image of last week");
    fs::last_write_time("out.qdf", fs::last_write_time("out.qdf") - std::chrono::hours(24 * 7));

    setenv("BV3_SPY_MODE", "nothing", 1);
    EXPECT_THROW(build(channelList(1, "Iota"), {.qdfPath = "out.qdf"}), QdfBuildError);
    EXPECT_EQ(readText("out.qdf"), "an image of last week");

    unsetenv("BV3_SPY_MODE");
    EXPECT_NO_THROW(build(channelList(1, "Iota"), {.qdfPath = "out.qdf"}));
    EXPECT_EQ(readText("out.qdf").substr(0, 8), "SPY QDF\n");
}

class QdfBuildBlockedTemporary : public QdfBuildTest, public testing::WithParamInterface<const char*> {};

// A directory in the way makes one temporary unwritable: the encoder is not called and the
// temporaries written before it are gone.
TEST_P(QdfBuildBlockedTemporary, NoCallAndWhatWasWrittenIsDeleted) {
    const std::string blocked = GetParam();
    fs::create_directory(blocked);
    try {
        build(channelList(1, "Kappa"), {.qdfPath = "out.qdf"});
        FAIL() << "the build succeeded";
    } catch (const QdfBuildError& failure) {
        EXPECT_NE(std::string(failure.what()).find("\"" + blocked + "\""), std::string::npos) << failure.what();
    }
    EXPECT_FALSE(fs::exists(spyDirectory() / "calls.log"));
    EXPECT_FALSE(fs::exists("out.qdf"));
    for (const char* name : temporaryNames) {
        if (name != blocked) {
            EXPECT_FALSE(fs::exists(name)) << name << " was left behind";
        }
    }
    EXPECT_TRUE(fs::is_directory(blocked)) << "a file the build did not write was removed";
}

INSTANTIATE_TEST_SUITE_P(Temporaries, QdfBuildBlockedTemporary,
                         testing::Values("Config.raw", "Service.raw", "qorda.cfg"));

TEST_F(QdfBuildTest, AReadOnlyWorkingDirectoryFailsBeforeTheCall) {
    writeText("in.qnf", channelList(1, "Lambda"));
    fs::permissions(scratch_.path(), fs::perms::owner_read | fs::perms::owner_exec);
    if (std::ofstream("probe")) {
        fs::permissions(scratch_.path(), fs::perms::owner_all);
        GTEST_SKIP() << "this user can write to read-only directories";
    }
    std::ifstream qnf("in.qnf", std::ios::binary);
    try {
        runQdfBuild(qnf, {.qnfName = "in.qnf", .qdfPath = (spyDirectory() / "out.qdf").string()});
        FAIL() << "the build succeeded";
    } catch (const QdfBuildError& failure) {
        EXPECT_NE(std::string(failure.what()).find("\"Config.raw\""), std::string::npos) << failure.what();
    }
    fs::permissions(scratch_.path(), fs::perms::owner_all);
    EXPECT_FALSE(fs::exists(spyDirectory() / "calls.log"));
    expectNoTemporaries();
}

// Through the export: the converter opens the list at set-up and reports through message boxes.
TEST_F(QdfBuildTest, TheExportBuildsWithoutAMessage) {
    bv3::ui::ScopedMessageBoxRecorder boxes;
    writeText("list.qnf", channelList(2, "Mu"));
    QnfToQDF("list.qnf", "out.qdf", 0, 3, 0xCAFEF00Du);
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(spyCalls(), std::vector<std::string>{"qorda.cfg\tout.qdf"});
    EXPECT_EQ(readText(spyCopy(1, "qorda.cfg")),
              bv3::qdfbuild::formatLoaderConfig(0xCAFEF00Du, 3, "Config.raw", "Service.raw"));
    expectNoTemporaries();
}

// Each export call has its own converter: a second call sees nothing of the first.
TEST_F(QdfBuildTest, SuccessiveExportCallsAreIndependent) {
    bv3::ui::ScopedMessageBoxRecorder boxes;
    const std::string second = channelList(1, "Omicron");
    writeText("first.qnf", channelList(4, "Pi"));
    writeText("second.qnf", second);
    QnfToQDF("first.qnf", "one.qdf", 1, 0, 0xAAAAAAAAu);
    QnfToQDF("second.qnf", "two.qdf", 2, 4, 0x00000123u);
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(spyCalls(), (std::vector<std::string>{"qorda.cfg\tone.qdf", "qorda.cfg\ttwo.qdf"}));
    const auto expected = expectedImages(second, 2, 4);
    EXPECT_EQ(readBytes(spyCopy(2, "Config.raw")), expected.config);
    EXPECT_EQ(readBytes(spyCopy(2, "Service.raw")), expected.service);
    EXPECT_EQ(readText(spyCopy(2, "qorda.cfg")),
              bv3::qdfbuild::formatLoaderConfig(0x00000123u, 4, "Config.raw", "Service.raw"));
    expectNoTemporaries();
}

TEST_F(QdfBuildTest, TheExportShowsTheReceiverSoftwaresBoxForACorruptHeaderAndStops) {
    bv3::ui::ScopedMessageBoxRecorder boxes;
    writeText("list.qnf", "[BREVORA V2 FILE]\r\n");
    QnfToQDF("list.qnf", "out.qdf", 0, 0, 1);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].caption, "Error");
    EXPECT_EQ(boxes.shown()[0].text, "Corrupt data table..");
    EXPECT_EQ(boxes.shown()[0].icon, bv3::ui::MessageIcon::Error);
    EXPECT_EQ(boxes.shown()[0].buttons, std::vector<std::string>{"&Yes"});
    EXPECT_FALSE(fs::exists(spyDirectory() / "calls.log"));
    EXPECT_FALSE(fs::exists("out.qdf"));
    expectNoTemporaries();
}

struct ExportFailureCase {
    const char* qnfPath;  // "list.qnf" holds a good channel list
    const char* spyMode;  // nullptr: the spy writes the image
    const char* mentioned;
};

void PrintTo(const ExportFailureCase& c, std::ostream* os) {
    *os << c.mentioned;
}

class QdfBuildExportFailure : public QdfBuildTest, public testing::WithParamInterface<ExportFailureCase> {};

TEST_P(QdfBuildExportFailure, BecomesOneErrorBoxNamingTheFile) {
    bv3::ui::ScopedMessageBoxRecorder boxes;
    writeText("list.qnf", channelList(1, "Nu"));
    if (GetParam().spyMode != nullptr) {
        setenv("BV3_SPY_MODE", GetParam().spyMode, 1);
    }
    QnfToQDF(GetParam().qnfPath, "out.qdf", 0, GetParam().spyMode != nullptr ? 0 : 9, 1);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].caption, "Error");
    EXPECT_NE(boxes.shown()[0].text.find(GetParam().mentioned), std::string::npos) << boxes.shown()[0].text;
    EXPECT_FALSE(fs::exists("out.qdf"));
    expectNoTemporaries();
}

INSTANTIATE_TEST_SUITE_P(Failures, QdfBuildExportFailure,
                         testing::Values(ExportFailureCase{"absent.qnf", "nothing", "\"absent.qnf\""},
                                         ExportFailureCase{".", "nothing", "\".\": it is a directory"},
                                         ExportFailureCase{"list.qnf", "nothing",
                                                           "without writing the download image \"out.qdf\""},
                                         ExportFailureCase{"list.qnf", nullptr, "model code 9"}));

}  // namespace
