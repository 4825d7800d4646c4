// QnfToV3Qnf and V3QnfToQnf: the converter's compressor component, every property at its default.
#include "BV3Dll.h"
#include "interface/converter.h"
#include "interface/export_frame.h"

#include <memory>
#include <string>

using bv3::interface::TfrmQnfToQdf;
using bv3::interface::runExport;

namespace {

template <class Operation>
void runCompression(const char* exportName, const char* inPath, const char* outPath, Operation operation) {
    runExport(exportName, [&] {
        auto converter = std::make_unique<TfrmQnfToQdf>();
        (converter.get()->*operation)(inPath != nullptr ? inPath : "", outPath != nullptr ? outPath : "");
    });
}

}  // namespace

extern "C" BV3_API void BV3_CALL QnfToV3Qnf(const char* inPath, const char* outPath) {
    runCompression("QnfToV3Qnf", inPath, outPath, &TfrmQnfToQdf::Compress);
}

extern "C" BV3_API void BV3_CALL V3QnfToQnf(const char* inPath, const char* outPath) {
    runCompression("V3QnfToQnf", inPath, outPath, &TfrmQnfToQdf::Decompress);
}
