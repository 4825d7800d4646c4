#include "channeldb/raw_to_qnf.h"
#include "interface/converter.h"

namespace bv3::interface {

// The driver keeps the selector bytes first, then converts; a failure throws a
// ConversionError that the export frame turns into an error box.
void TfrmQnfToQdf::RunRawToQnf(const std::string& rawPath, const std::string& qnfPath_, std::uint8_t configVariant_,
                               std::uint8_t modelCode_) {
    qnfPath = qnfPath_;
    configVariant = configVariant_;
    modelCode = modelCode_;
    channeldb::rawToQnf(rawPath, qnfPath, configVariant, modelCode);
}

}  // namespace bv3::interface
