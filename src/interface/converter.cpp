#include "interface/converter.h"

#include "compress/lzrw1.h"

namespace bv3::interface {

TfrmQnfToQdf::TfrmQnfToQdf() = default;
TfrmQnfToQdf::~TfrmQnfToQdf() = default;

}  // namespace bv3::interface
