#include "interface/converter.h"

namespace bv3::interface {

void TfrmQnfToQdf::RunRawToQnf(const std::string& rawPath, const std::string& qnfPath_, std::uint8_t configVariant_,
                               std::uint8_t modelCode_) {
    (void)rawPath;
    qnfPath = qnfPath_;
    configVariant = configVariant_;
    modelCode = modelCode_;
}

}  // namespace bv3::interface
