// A library that loads but lacks EncodeQDF: the driver must not call anything in it.
#include "platform/library_entry.h"

extern "C" BV3_LIBRARY_EXPORT int BV3_LIBRARY_ENTRY EncodeQdfMisspelt(const char*, const char*) {
    return 0;
}
