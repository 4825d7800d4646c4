// bv3-host: a stand-in for the channel-list editor. It loads libBV3Dll.so at run time, looks
// the nine entry points up by name exactly as the editor does, and calls one of them. It
// proves the C boundary from outside: nothing here is linked against the library.
//
//   bv3-host LIBRARY upload PORT BAUD FILE        (PORT 0..3 = Com1..Com4, BAUD 0..4)
//   bv3-host LIBRARY download PORT BAUD FILE
//   bv3-host LIBRARY raw2qnf RAW QNF VARIANT MODEL
//   bv3-host LIBRARY qnf2qdf QNF QDF VARIANT MODEL HEADERID
//   bv3-host LIBRARY compress IN OUT | decompress IN OUT
//   bv3-host LIBRARY about | idle | exports
#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

using IdleEntry = void (*)();
using FileEntry = void (*)(const char*, const char*);
using TransferEntry = std::int32_t (*)(std::uint8_t, std::uint8_t, const char*);
using RawEntry = void (*)(const char*, const char*, std::uint8_t, std::uint8_t);
using QdfEntry = void (*)(const char*, const char*, std::uint8_t, std::uint8_t, std::uint32_t);
using AboutEntry = std::int32_t (*)();

struct Library {
    void* handle = nullptr;
    ~Library() {
        if (handle != nullptr) {
            dlclose(handle);
        }
    }
};

struct Entries {
    IdleEntry GetIRDModel;
    FileEntry V3QnfToQnf;
    FileEntry QnfToV3Qnf;
    TransferEntry DownloadData;
    IdleEntry UploadSystemID;
    TransferEntry UploadData;
    RawEntry RawToQnf;
    QdfEntry QnfToQDF;
    AboutEntry VYRAbout;
};

template <class Entry>
bool lookUp(void* handle, const char* name, Entry& entry) {
    entry = reinterpret_cast<Entry>(dlsym(handle, name));
    if (entry == nullptr) {
        std::fprintf(stderr, "bv3-host: the library has no entry point %s\n", name);
        return false;
    }
    return true;
}

bool lookUpAll(void* handle, Entries& e) {
    bool ok = lookUp(handle, "GetIRDModel", e.GetIRDModel);
    ok = lookUp(handle, "V3QnfToQnf", e.V3QnfToQnf) && ok;
    ok = lookUp(handle, "QnfToV3Qnf", e.QnfToV3Qnf) && ok;
    ok = lookUp(handle, "DownloadData", e.DownloadData) && ok;
    ok = lookUp(handle, "UploadSystemID", e.UploadSystemID) && ok;
    ok = lookUp(handle, "UploadData", e.UploadData) && ok;
    ok = lookUp(handle, "RawToQnf", e.RawToQnf) && ok;
    ok = lookUp(handle, "QnfToQDF", e.QnfToQDF) && ok;
    ok = lookUp(handle, "VYRAbout", e.VYRAbout) && ok;
    return ok;
}

// The editor passes bytes and a 32-bit identifier; the command line gives decimal or 0x-hex.
std::uint32_t number(const char* text) { return static_cast<std::uint32_t>(std::strtoul(text, nullptr, 0)); }
std::uint8_t byte(const char* text) { return static_cast<std::uint8_t>(number(text)); }

int usage() {
    std::fputs(
        "usage: bv3-host LIBRARY COMMAND ARGS...\n"
        "  upload PORT BAUD FILE | download PORT BAUD FILE\n"
        "  raw2qnf RAW QNF VARIANT MODEL | qnf2qdf QNF QDF VARIANT MODEL HEADERID\n"
        "  compress IN OUT | decompress IN OUT | about | idle | exports\n",
        stderr);
    return 2;
}

int run(const Entries& e, const std::string& command, int argc, char** argv) {
    if ((command == "upload" || command == "download") && argc == 3) {
        const auto entry = command == "upload" ? e.UploadData : e.DownloadData;
        const std::int32_t result = entry(byte(argv[0]), byte(argv[1]), argv[2]);
        std::printf("%s returned %d\n", command == "upload" ? "UploadData" : "DownloadData", result);
        return 0;
    }
    if (command == "raw2qnf" && argc == 4) {
        e.RawToQnf(argv[0], argv[1], byte(argv[2]), byte(argv[3]));
        return 0;
    }
    if (command == "qnf2qdf" && argc == 5) {
        e.QnfToQDF(argv[0], argv[1], byte(argv[2]), byte(argv[3]), number(argv[4]));
        return 0;
    }
    if ((command == "compress" || command == "decompress") && argc == 2) {
        (command == "compress" ? e.QnfToV3Qnf : e.V3QnfToQnf)(argv[0], argv[1]);
        return 0;
    }
    if (command == "about" && argc == 0) {
        std::printf("VYRAbout returned %d\n", e.VYRAbout());
        return 0;
    }
    if (command == "idle" && argc == 0) {
        e.GetIRDModel();
        e.UploadSystemID();
        return 0;
    }
    if (command == "exports" && argc == 0) {
        std::puts("all nine entry points found");
        return 0;
    }
    return usage();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        return usage();
    }
    Library library;
    library.handle = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (library.handle == nullptr) {
        std::fprintf(stderr, "bv3-host: cannot load %s: %s\n", argv[1], dlerror());
        return 1;
    }
    Entries entries{};
    if (!lookUpAll(library.handle, entries)) {
        return 1;
    }
    return run(entries, argv[2], argc - 3, argv + 3);
}
