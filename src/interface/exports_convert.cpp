// RawToQnf and QnfToQDF: create the converter, hand it the arguments, run, release.
#include "BV3Dll.h"
#include "interface/converter.h"
#include "interface/export_frame.h"

#include <memory>

using bv3::interface::TfrmQnfToQdf;
using bv3::interface::runExport;

namespace {
std::string argumentText(const char* text) { return text != nullptr ? std::string(text) : std::string(); }
}  // namespace

extern "C" BV3_API void BV3_CALL RawToQnf(const char* rawPath, const char* qnfPath, uint8_t configVariant,
                                          uint8_t modelCode) {
    runExport("RawToQnf", [&] {
        auto converter = std::make_unique<TfrmQnfToQdf>();
        converter->RunRawToQnf(argumentText(rawPath), argumentText(qnfPath), configVariant, modelCode);
    });
}

extern "C" BV3_API void BV3_CALL QnfToQDF(const char* qnfPath, const char* qdfPath, uint8_t configVariant,
                                          uint8_t modelCode, uint32_t headerId) {
    runExport("QnfToQDF", [&] {
        auto converter = std::make_unique<TfrmQnfToQdf>();
        converter->SetupQdfBuild(argumentText(qnfPath), argumentText(qdfPath), configVariant, modelCode, headerId);
        converter->RunQdfBuild();
    });
}
