// Test equipment, not a test: round trips of one byte over a serial port, to show what Wine's
// serial emulation costs per round trip apart from the library. The transfers script runs it
// on the echoing line beside the transfers; an upload is about 400,000 such round trips.
//
//   wine_serial_floor.exe COM9 20000 plain    a blocking WriteFile, then a blocking ReadFile
//                                             of the one byte back: the floor
//   wine_serial_floor.exe COM9 20000 events   the library's calls, on one thread: an overlapped
//                                             WaitCommEvent for EV_RXCHAR, ClearCommError for
//                                             the count, an overlapped ReadFile of it
//   ... events-reset                          the same with a ResetEvent before each operation,
//                                             as the library's port does
//
// prints "bv3-floor: plain 20000 round trips in 9.1 s, 455 us each"
#include "platform/win32/windows_api.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool plainRoundTrip(HANDLE port, unsigned char sent) {
    unsigned char received = 0;
    DWORD done = 0;
    return WriteFile(port, &sent, 1, &done, nullptr) && done == 1 && ReadFile(port, &received, 1, &done, nullptr) &&
           done == 1 && received == sent;
}

// Waits for an overlapped operation begun on `port`; false when it failed.
bool complete(HANDLE port, BOOL started, OVERLAPPED& overlapped, DWORD& done) {
    if (!started && GetLastError() != ERROR_IO_PENDING) {
        return false;
    }
    return GetOverlappedResult(port, &overlapped, &done, TRUE) != 0;
}

bool eventRoundTrip(HANDLE port, HANDLE event, unsigned char sent, bool resetFirst) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = event;
    DWORD done = 0;
    if (resetFirst) {
        ResetEvent(event);
    }
    if (!complete(port, WriteFile(port, &sent, 1, &done, &overlapped), overlapped, done) || done != 1) {
        return false;
    }
    for (;;) {
        DWORD mask = 0;
        overlapped = OVERLAPPED{};
        overlapped.hEvent = event;
        if (resetFirst) {
            ResetEvent(event);
        }
        if (!complete(port, WaitCommEvent(port, &mask, &overlapped), overlapped, done)) {
            return false;
        }
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(port, &errors, &status)) {
            return false;
        }
        if (status.cbInQue == 0) {
            continue;
        }
        unsigned char received = 0;
        overlapped = OVERLAPPED{};
        overlapped.hEvent = event;
        if (resetFirst) {
            ResetEvent(event);
        }
        if (!complete(port, ReadFile(port, &received, 1, &done, &overlapped), overlapped, done)) {
            return false;
        }
        if (done == 1) {
            return received == sent;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || (std::strcmp(argv[3], "plain") != 0 && std::strncmp(argv[3], "events", 6) != 0)) {
        std::fprintf(stderr, "usage: wine_serial_floor PORT ROUND_TRIPS plain|events|events-reset\n");
        return 2;
    }
    const long count = std::strtol(argv[2], nullptr, 10);
    const bool plain = std::strcmp(argv[3], "plain") == 0;
    const bool resetFirst = std::strcmp(argv[3], "events-reset") == 0;
    HANDLE port = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              plain ? 0 : FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "wine_serial_floor: cannot open %s (error %lu)\n", argv[1], GetLastError());
        return 1;
    }
    // plain: a read waits for its byte, up to 5 s; events: a read returns at once with what
    // waits, as the library's port does.
    COMMTIMEOUTS timeouts = plain ? COMMTIMEOUTS{0, 0, 5000, 0, 5000} : COMMTIMEOUTS{MAXDWORD, 0, 0, 0, 0};
    SetCommTimeouts(port, &timeouts);
    SetCommMask(port, EV_RXCHAR);
    PurgeComm(port, PURGE_RXCLEAR | PURGE_TXCLEAR);
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    LARGE_INTEGER frequency{};
    LARGE_INTEGER start{};
    LARGE_INTEGER end{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (long i = 0; i < count; ++i) {
        const auto sent = static_cast<unsigned char>(i);
        if (!(plain ? plainRoundTrip(port, sent) : eventRoundTrip(port, event, sent, resetFirst))) {
            std::fprintf(stderr, "wine_serial_floor: round trip %ld failed (error %lu)\n", i, GetLastError());
            CloseHandle(event);
            CloseHandle(port);
            return 1;
        }
    }
    QueryPerformanceCounter(&end);
    CloseHandle(event);
    CloseHandle(port);
    const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    std::printf("bv3-floor: %s %ld round trips in %.1f s, %.0f us each\n", argv[3], count, seconds,
                count > 0 ? seconds * 1e6 / static_cast<double>(count) : 0.0);
    return 0;
}
