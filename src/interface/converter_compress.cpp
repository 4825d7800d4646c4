#include "compress/lzrw1.h"
#include "interface/converter.h"

namespace bv3::interface {

// QnfToV3Qnf: an LZH container, since CompressMode stays at Good. A failure reaches the
// export frame as the component's exception.
void TfrmQnfToQdf::Compress(const std::string& inPath, const std::string& outPath) {
    LZHCompress->SetInputFile(inPath);
    LZHCompress->SetOutputFile(outPath);
    LZHCompress->Compress();
}

// V3QnfToQnf: restores either kind of container, whatever the mode says.
void TfrmQnfToQdf::Decompress(const std::string& inPath, const std::string& outPath) {
    LZHCompress->SetInputFile(inPath);
    LZHCompress->SetOutputFile(outPath);
    LZHCompress->Decompress();
}

}  // namespace bv3::interface
