// UploadData, DownloadData and VYRAbout in the Windows library, which has no toolkit: the
// about box is a plain Win32 window. The serial transfers are not part of this build yet:
// they say so in an error box instead of returning silently, and the result is the cancel
// result as after any transfer.
#include "BV3Dll.h"
#include "interface/current_objects.h"
#include "interface/export_frame.h"
#include "ui/native/about_box_native.h"

#include <string>

namespace {

constexpr int32_t modalResultCancel = 2;

// Makes `object` the current one of its class for the length of the call.
class CurrentObject {
public:
    CurrentObject(void*& slot, void* object) : slot_(slot) { slot_ = object; }
    ~CurrentObject() { slot_ = nullptr; }
    CurrentObject(const CurrentObject&) = delete;
    CurrentObject& operator=(const CurrentObject&) = delete;

private:
    void*& slot_;
};

int32_t transferNotAvailable(const char* exportName, const char* filePath) {
    bv3::interface::reportFailure(std::string(exportName) + ": cannot transfer \"" +
                                  (filePath != nullptr ? filePath : "") +
                                  "\": the serial transfers are not available in this build of BV3Dll.dll");
    return modalResultCancel;
}

}  // namespace

extern "C" BV3_API int32_t BV3_CALL UploadData(uint8_t, uint8_t, const char* filePath) {
    return transferNotAvailable("UploadData", filePath);
}

extern "C" BV3_API int32_t BV3_CALL DownloadData(uint8_t, uint8_t, const char* filePath) {
    return transferNotAvailable("DownloadData", filePath);
}

extern "C" BV3_API int32_t BV3_CALL VYRAbout(void) {
    return bv3::interface::runExport("VYRAbout", modalResultCancel, [] {
        bv3::ui::native::TfrmMain box;
        const CurrentObject current(bv3::interface::current::aboutBox, &box);
        return static_cast<int32_t>(box.ShowModal());
    });
}
