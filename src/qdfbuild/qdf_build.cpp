#include "qdfbuild/qdf_build.h"

#include "channeldb/channel_database.h"
#include "channeldb/layout.h"
#include "channeldb/qnf_reader.h"
#include "channeldb/raw_writer.h"
#include "qdfbuild/build_names.h"
#include "qdfbuild/build_temporaries.h"
#include "qdfbuild/encoder_call.h"
#include "qdfbuild/loader_config_writer.h"
#include "qdfbuild/output_witness.h"
#include "qdfbuild/qdf_build_error.h"
#include "safe_write/safe_write.h"

#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

namespace bv3::qdfbuild {

namespace {

struct ReceiverImages {
    std::vector<std::uint8_t> config;
    std::vector<std::uint8_t> service;
};

// The layout half of steps 4 and 5: both images exist in memory before the first file is
// written, so a channel list the writer refuses leaves nothing behind.
ReceiverImages layOutChannelList(const channeldb::ChannelDatabase& database, const QdfBuildSettings& settings) {
    if (database.serviceCount() == 0 && !settings.allowEmpty) {
        throw QdfBuildError("cannot build the download image \"" + settings.qdfPath + "\": the channel list \"" +
                            settings.qnfName + "\" holds no services, and the image would empty the receiver");
    }
    return {channeldb::buildConfigImage(database, settings.configVariant, settings.modelCode),
            channeldb::buildServiceImage(database, settings.modelCode)};
}

// The temporaries are deleted after the call, so an image written under one of their names
// would vanish with them while the build reported success.
void refuseTemporaryAsOutput(const std::string& qdfPath, const std::filesystem::path& workFolder) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path output = fs::weakly_canonical(fs::absolute(qdfPath, error), error);
    for (const char* name : {loaderConfigName, configImageName, serviceImageName}) {
        std::error_code ignored;
        if (!error && output == fs::weakly_canonical(fs::absolute(workFolder / name, ignored), ignored)) {
            throw QdfBuildError("cannot build the download image \"" + qdfPath + "\": the build uses that name for a " +
                                (workFolder.empty() ? std::string("temporary file in the current directory")
                                                    : "temporary file in \"" + workFolder.string() + "\""));
        }
    }
}

// What the build refuses before it reads or lays out anything.
void refuseSettings(const QdfBuildSettings& settings, const std::filesystem::path& workFolder) {
    if (!channeldb::isKnownModel(settings.modelCode)) {
        throw QdfBuildError("cannot build the download image \"" + settings.qdfPath + "\": model code " +
                            std::to_string(settings.modelCode) + " names no receiver (known models are 0 to " +
                            std::to_string(channeldb::highestModelCode) + ")");
    }
    refuseTemporaryAsOutput(settings.qdfPath, workFolder);
    safewrite::refuseOutputThatIsInput(settings.qnfName, settings.qdfPath);
    // The encoder writes the image; a target it can never write is refused before the build,
    // the same way every other command refuses it.
    try {
        safewrite::refuseUnwritableTarget(settings.qdfPath);
    } catch (const safewrite::SafeWriteError& refused) {
        throw QdfBuildError("cannot build the download image \"" + settings.qdfPath + "\": " + refused.reason());
    }
}

// Steps 4 to 8: the temporaries written to workFolder (the current directory when empty), the
// encoder called, the temporaries deleted, the input closed.
void encodeImages(const ReceiverImages& images, const std::filesystem::path& workFolder,
                  const QdfBuildSettings& settings, const std::function<void()>& closeInput) {
    std::exception_ptr encoderFailure;
    bool outputWritten = false;
    {
        BuildTemporaries temporaries(workFolder, {loaderConfigName, configImageName, serviceImageName});
        temporaries.refuseExisting();
        temporaries.write(configImageName, images.config);
        temporaries.write(serviceImageName, images.service);
        temporaries.write(loaderConfigName,
                          formatLoaderConfig(settings.headerId, settings.modelCode,
                                             temporaries.pathOf(configImageName),
                                             temporaries.pathOf(serviceImageName)));

        const OutputWitness output(settings.qdfPath);
        try {
            callEncoder(settings.encoderLibrary, temporaries.pathOf(loaderConfigName), settings.qdfPath);
        } catch (const QdfBuildError&) {
            // The steps after the call still run as after a call; the failure is told at the end.
            encoderFailure = std::current_exception();
        }
        temporaries.deleteAll();
        outputWritten = output.writtenSince();
    }
    if (closeInput) {
        closeInput();
    }
    if (encoderFailure) {
        std::rethrow_exception(encoderFailure);
    }
    if (!outputWritten) {
        throw QdfBuildError("the encoder \"" + settings.encoderLibrary +
                            "\" returned without writing the download image \"" + settings.qdfPath + "\"");
    }
}

}  // namespace

void runQdfBuild(std::istream& qnf, const QdfBuildSettings& settings, const std::function<void()>& closeInput) {
    refuseSettings(settings, {});
    // The database is several hundred kilobytes: it lives on the heap for the build only.
    auto database = std::make_unique<channeldb::ChannelDatabase>();
    channeldb::readQnf(qnf, *database, settings.qnfName);
    const ReceiverImages images = layOutChannelList(*database, settings);
    encodeImages(images, {}, settings, closeInput);
}

void runQdfBuild(const channeldb::ChannelDatabase& db, const std::filesystem::path& workFolder,
                 const QdfBuildSettings& settings) {
    refuseSettings(settings, workFolder);
    encodeImages(layOutChannelList(db, settings), workFolder, settings, {});
}

}  // namespace bv3::qdfbuild
