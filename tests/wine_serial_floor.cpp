// Test equipment, not a test: round trips of one byte over a serial port as plainly as the
// Windows API allows (a blocking WriteFile, then a blocking ReadFile of the one byte back), to
// show what Wine's serial emulation costs per round trip on its own. The transfers script runs
// it on the echoing line beside the transfers; an upload is about 400,000 such round trips.
//
//   wine_serial_floor.exe COM9 20000   prints "bv3-floor: 20000 round trips in 9.1 s, 455 us each"
#include "platform/win32/windows_api.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: wine_serial_floor PORT ROUND_TRIPS\n");
        return 2;
    }
    const long count = std::strtol(argv[2], nullptr, 10);
    HANDLE port = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "wine_serial_floor: cannot open %s (error %lu)\n", argv[1], GetLastError());
        return 1;
    }
    // A read waits for its byte, up to 5 s.
    COMMTIMEOUTS timeouts{0, 0, 5000, 0, 5000};
    SetCommTimeouts(port, &timeouts);
    PurgeComm(port, PURGE_RXCLEAR | PURGE_TXCLEAR);
    LARGE_INTEGER frequency{};
    LARGE_INTEGER start{};
    LARGE_INTEGER end{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (long i = 0; i < count; ++i) {
        const unsigned char sent = static_cast<unsigned char>(i);
        unsigned char received = 0;
        DWORD done = 0;
        if (!WriteFile(port, &sent, 1, &done, nullptr) || done != 1 || !ReadFile(port, &received, 1, &done, nullptr) ||
            done != 1 || received != sent) {
            std::fprintf(stderr, "wine_serial_floor: round trip %ld failed (error %lu)\n", i, GetLastError());
            CloseHandle(port);
            return 1;
        }
    }
    QueryPerformanceCounter(&end);
    CloseHandle(port);
    const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    std::printf("bv3-floor: %ld round trips in %.1f s, %.0f us each\n", count, seconds,
                count > 0 ? seconds * 1e6 / static_cast<double>(count) : 0.0);
    return 0;
}
