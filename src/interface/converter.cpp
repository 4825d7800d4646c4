#include "interface/converter.h"

#include "compress/lzrw1.h"

namespace bv3::interface {

// The converter's compressor keeps every property at its default. It lives on a form that is
// never shown, so it does not count as visible and shows no progress.
TfrmQnfToQdf::TfrmQnfToQdf() : LZHCompress(std::make_unique<compress::Tlzrw1>()) {
    LZHCompress->SetVisible(false);
    LZHCompress->Loaded();
}

TfrmQnfToQdf::~TfrmQnfToQdf() = default;

}  // namespace bv3::interface
