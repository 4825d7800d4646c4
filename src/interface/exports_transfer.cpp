// UploadData, DownloadData and VYRAbout: modal dialogs; the result is always the cancel result.
#include "BV3Dll.h"
#include "interface/export_frame.h"

namespace {
constexpr int32_t modalResultCancel = 2;
}

extern "C" BV3_API int32_t BV3_CALL UploadData(uint8_t portIndex, uint8_t baudIndex, const char* filePath) {
    (void)portIndex;
    (void)baudIndex;
    (void)filePath;
    return modalResultCancel;
}

extern "C" BV3_API int32_t BV3_CALL DownloadData(uint8_t portIndex, uint8_t baudIndex, const char* filePath) {
    (void)portIndex;
    (void)baudIndex;
    (void)filePath;
    return modalResultCancel;
}

extern "C" BV3_API int32_t BV3_CALL VYRAbout(void) { return modalResultCancel; }
