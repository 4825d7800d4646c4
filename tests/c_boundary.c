/* Compiled as C: the public header must stay plain C, and every export must be callable
 * with C types. The function only takes the addresses, so nothing runs here. */
#include "BV3Dll.h"

#include <stddef.h>

size_t bv3_c_boundary_export_count(void) {
    void (*const idle[])(void) = {GetIRDModel, UploadSystemID};
    void (*const compression[])(const char*, const char*) = {V3QnfToQnf, QnfToV3Qnf};
    int32_t (*const transfers[])(uint8_t, uint8_t, const char*) = {DownloadData, UploadData};
    void (*const raw)(const char*, const char*, uint8_t, uint8_t) = RawToQnf;
    void (*const qdf)(const char*, const char*, uint8_t, uint8_t, uint32_t) = QnfToQDF;
    int32_t (*const about)(void) = VYRAbout;
    size_t count = 0;
    for (size_t i = 0; i < 2; ++i) {
        count += idle[i] != NULL;
        count += compression[i] != NULL;
        count += transfers[i] != NULL;
    }
    return count + (raw != NULL) + (qdf != NULL) + (about != NULL);
}
