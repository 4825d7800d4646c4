// A recovery copy as the editor finds it in its state folder after a crash: any bytes. The
// reader must refuse what is not a whole copy without reading outside the input; what it
// takes must write back to the same bytes, and its list, when readable, must be restorable.
#include "channeldb/conversion_error.h"
#include "edit/edit_error.h"
#include "edit/recovery_copy.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    bv3::edit::RecoveryCopy copy;
    try {
        copy = bv3::edit::parseRecoveryCopy(file);
    } catch (const bv3::edit::RecoveryCopyError&) {
        return 0;
    }
    if (bv3::edit::parseRecoveryCopy(bv3::edit::formatRecoveryCopy(copy)).qnfText != copy.qnfText) {
        std::abort();
    }
    try {
        (void)bv3::edit::restoreList(copy);
    } catch (const bv3::channeldb::ConversionError&) {
    } catch (const bv3::edit::EditError&) {
    }
    return 0;
}
