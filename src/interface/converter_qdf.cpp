#include "interface/converter.h"

namespace bv3::interface {

void TfrmQnfToQdf::SetupQdfBuild(const std::string& qnfPath_, const std::string& qdfPath_, std::uint8_t configVariant_,
                                 std::uint8_t modelCode_, std::uint32_t headerId_) {
    qnfPath = qnfPath_;
    qdfPath = qdfPath_;
    configVariant = configVariant_;
    modelCode = modelCode_;
    headerId = headerId_;
}

void TfrmQnfToQdf::RunQdfBuild() {}

}  // namespace bv3::interface
