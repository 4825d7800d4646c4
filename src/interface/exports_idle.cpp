// The two entry points that the host calls but that have nothing to do.
#include "BV3Dll.h"

extern "C" BV3_API void BV3_CALL GetIRDModel(void) {}

extern "C" BV3_API void BV3_CALL UploadSystemID(void) {}
