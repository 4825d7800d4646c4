/* The nine entry points of the BV3 service library (libBV3Dll.so / BV3Dll.dll).
 *
 * Every call is synchronous and runs on the caller's thread, which must be the host's
 * user-interface thread. Strings are zero-terminated 8-bit strings; the library keeps no
 * pointer after a call returns. No error code and no exception crosses this boundary: a
 * conversion that fails shows an error message box (the text on stderr where no display
 * exists) and returns. The library is not re-entrant: one call at a time.
 *
 * This header is plain C so that C and C++ hosts alike can use it.
 */
#ifndef BV3DLL_H
#define BV3DLL_H

#include <stdint.h>

#if defined(_WIN32)
#define BV3_API __declspec(dllexport)
#define BV3_CALL __cdecl
#else
#define BV3_API __attribute__((visibility("default")))
#define BV3_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Ordinal 1. Does nothing. */
BV3_API void BV3_CALL GetIRDModel(void);

/* Ordinal 2. Restores a compressed channel list (either container kind) from inPath into
 * outPath. A failure removes outPath and shows the compressor's message. */
BV3_API void BV3_CALL V3QnfToQnf(const char* inPath, const char* outPath);

/* Ordinal 3. Compresses inPath into an LZH container at outPath. */
BV3_API void BV3_CALL QnfToV3Qnf(const char* inPath, const char* outPath);

/* Ordinal 4. Serves filePath to the receiver on port portIndex (0..3 = Com1..Com4, else
 * Com2) at rate baudIndex (0..4 = 115200, 57600, 38400, 19200, 9600, else 9600) in a modal
 * dialog. Returns the dialog's modal result, always 2. */
BV3_API int32_t BV3_CALL DownloadData(uint8_t portIndex, uint8_t baudIndex, const char* filePath);

/* Ordinal 5. Does nothing. */
BV3_API void BV3_CALL UploadSystemID(void);

/* Ordinal 6. Receives the receiver's memory (401,408 bytes, stored complemented) into
 * filePath in a modal dialog. Arguments as DownloadData. Returns 2. */
BV3_API int32_t BV3_CALL UploadData(uint8_t portIndex, uint8_t baudIndex, const char* filePath);

/* Ordinal 7. Reads the uploaded raw image rawPath and writes the channel list qnfPath. */
BV3_API void BV3_CALL RawToQnf(const char* rawPath, const char* qnfPath, uint8_t configVariant,
                               uint8_t modelCode);

/* Ordinal 8. Builds the download image qdfPath from the channel list qnfPath through the
 * encoder library. Temporary files "Config.raw", "Service.raw" and "qorda.cfg" are written
 * to and removed from the current directory. */
BV3_API void BV3_CALL QnfToQDF(const char* qnfPath, const char* qdfPath, uint8_t configVariant,
                               uint8_t modelCode, uint32_t headerId);

/* Ordinal 9. Shows the about box modally. Returns 2. */
BV3_API int32_t BV3_CALL VYRAbout(void);

#ifdef __cplusplus
}
#endif

#endif /* BV3DLL_H */
