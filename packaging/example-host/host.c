/* A tiny host of the BV3 service library. It compresses a channel list, restores it, checks
 * the copy is the same, and builds the receiver's download image (which the library makes
 * through the encoder installed beside it).
 *
 *   bv3-example-host-linked LIST.qnf   calls the exports directly (linked against libBV3Dll)
 *   bv3-example-host-dlopen LIST.qnf   loads the library by its SONAME (BV3DLL_SONAME)
 *
 * It writes channels.v3q, restored.qnf and channels.qdf into the current folder (the image
 * build also uses it for its temporary files) and exits 0 when everything worked. Build it
 * with find_package(BV3 CONFIG) (CMakeLists.txt beside this file) or with pkg-config:
 *   cc host.c $(pkg-config --cflags --libs bv3dll) -o host
 *   cc -DBV3_HOST_DLOPEN -DBV3DLL_SONAME="\"$(pkg-config --variable=soname bv3dll)\"" \
 *      $(pkg-config --cflags bv3dll) host.c -ldl -o host
 */
#include <BV3Dll.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef void (*FileEntry)(const char*, const char*);
typedef void (*QdfEntry)(const char*, const char*, uint8_t, uint8_t, uint32_t);

struct Exports {
    FileEntry compress;
    FileEntry restore;
    QdfEntry buildImage;
};

#ifdef BV3_HOST_DLOPEN
#include <dlfcn.h>
#ifndef BV3DLL_SONAME
#error "BV3DLL_SONAME names the library to load (BV3::headers or pkg-config --variable=soname bv3dll)"
#endif

static void* library;

/* dlsym returns an object pointer; POSIX guarantees it converts to a function pointer. */
static int findExports(struct Exports* exports) {
    library = dlopen(BV3DLL_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (library == NULL) {
        fprintf(stderr, "cannot load %s: %s\n", BV3DLL_SONAME, dlerror());
        return 0;
    }
    *(void**)&exports->compress = dlsym(library, "QnfToV3Qnf");
    *(void**)&exports->restore = dlsym(library, "V3QnfToQnf");
    *(void**)&exports->buildImage = dlsym(library, "QnfToQDF");
    if (exports->compress == NULL || exports->restore == NULL || exports->buildImage == NULL) {
        fprintf(stderr, "%s lacks an entry point: %s\n", BV3DLL_SONAME, dlerror());
        return 0;
    }
    return 1;
}

static void releaseExports(void) {
    if (library != NULL) {
        dlclose(library);
    }
}
#else
static int findExports(struct Exports* exports) {
    exports->compress = QnfToV3Qnf;
    exports->restore = V3QnfToQnf;
    exports->buildImage = QnfToQDF;
    return 1;
}

static void releaseExports(void) {}
#endif

/* The whole file, or NULL; *size receives its length. */
static unsigned char* readAll(const char* path, long* size) {
    FILE* file = fopen(path, "rb");
    unsigned char* bytes = NULL;
    if (file == NULL) {
        return NULL;
    }
    if (fseek(file, 0, SEEK_END) == 0 && (*size = ftell(file)) >= 0 && fseek(file, 0, SEEK_SET) == 0) {
        bytes = malloc((size_t)*size + 1);
        if (bytes != NULL && fread(bytes, 1, (size_t)*size, file) != (size_t)*size) {
            free(bytes);
            bytes = NULL;
        }
    }
    fclose(file);
    return bytes;
}

static int sameFiles(const char* a, const char* b) {
    long sizeA = 0;
    long sizeB = 0;
    unsigned char* bytesA = readAll(a, &sizeA);
    unsigned char* bytesB = readAll(b, &sizeB);
    const int same = bytesA != NULL && bytesB != NULL && sizeA == sizeB && memcmp(bytesA, bytesB, (size_t)sizeA) == 0;
    free(bytesA);
    free(bytesB);
    return same;
}

static long fileSize(const char* path) {
    long size = -1;
    unsigned char* bytes = readAll(path, &size);
    free(bytes);
    return bytes == NULL ? -1 : size;
}

int main(int argc, char** argv) {
    struct Exports exports;
    int ok = 0;
    if (argc != 2) {
        fprintf(stderr, "usage: %s LIST.qnf\n", argv[0]);
        return 2;
    }
    if (findExports(&exports)) {
        /* The sample list is for receiver model 4 with configuration variant 3. */
        exports.compress(argv[1], "channels.v3q");
        exports.restore("channels.v3q", "restored.qnf");
        exports.buildImage(argv[1], "channels.qdf", 3, 4, 0x12345678u);
        ok = sameFiles(argv[1], "restored.qnf") && fileSize("channels.qdf") > 0;
        printf("compressed %ld bytes, restored %s, download image %ld bytes\n", fileSize("channels.v3q"),
               sameFiles(argv[1], "restored.qnf") ? "identical" : "DIFFERENT", fileSize("channels.qdf"));
    }
    releaseExports();
    return ok ? 0 : 1;
}
