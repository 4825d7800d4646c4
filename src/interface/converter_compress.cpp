#include "interface/converter.h"

namespace bv3::interface {

void TfrmQnfToQdf::Compress(const std::string& inPath, const std::string& outPath) {
    (void)inPath;
    (void)outPath;
}

void TfrmQnfToQdf::Decompress(const std::string& inPath, const std::string& outPath) {
    (void)inPath;
    (void)outPath;
}

}  // namespace bv3::interface
