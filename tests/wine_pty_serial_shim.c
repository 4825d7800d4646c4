/* Test equipment for the Windows transfer tests under Wine; it never ships.
 *
 * Wine's serial emulation asks a COM port's tty for its modem lines (TIOCMGET), its interrupt
 * counters (TIOCGICOUNT) and its line status (TIOCSERGETLSR) every time a WaitCommEvent is
 * armed or woken. A pseudo-terminal has none of these and answers ENOTTY, so on a pty a wait
 * either fails (ERROR_NOT_SUPPORTED) or ends as cancelled, and no transfer gets going.
 *
 * Preloaded into the Wine process (LD_PRELOAD), this library lets the real call run first and,
 * only when it fails with ENOTTY on a pseudo-terminal slave, answers as an idle, connected line
 * would:
 * CTS, DSR and CD raised plus the DTR and RTS last set, zero interrupt counters, transmitter
 * empty. Everything else passes through untouched. Modem-line, break and line-error events can
 * therefore never fire through it.
 *
 * Wine's 32-bit ntdll.so is built with a 64-bit time_t and calls __ioctl_time64 instead of
 * ioctl; both are wrapped. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <linux/serial.h>
#include <stdarg.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

typedef int (*ioctl_function)(int, unsigned long, ...);

/* The kernel numbers pseudo-terminal slaves (/dev/pts/N) with these majors. */
enum { pty_slave_major_first = 136, pty_slave_major_last = 143 };

/* DTR and RTS as last set through TIOCMSET/TIOCMBIS/TIOCMBIC, per descriptor; a line comes up
 * with both raised, as a tty raises them when it is opened. */
enum { remembered_descriptors = 4096 };
static int output_lines[remembered_descriptors];
static unsigned char output_lines_set[remembered_descriptors];

static int is_pty_slave(int fd) {
    struct stat status;
    if (fstat(fd, &status) != 0 || !S_ISCHR(status.st_mode)) {
        return 0;
    }
    const unsigned int major_number = major(status.st_rdev);
    return major_number >= pty_slave_major_first && major_number <= pty_slave_major_last;
}

static int current_output_lines(int fd) {
    if (fd < 0 || fd >= remembered_descriptors || !__atomic_load_n(&output_lines_set[fd], __ATOMIC_ACQUIRE)) {
        return TIOCM_DTR | TIOCM_RTS;
    }
    return __atomic_load_n(&output_lines[fd], __ATOMIC_ACQUIRE);
}

static void remember_output_lines(int fd, int lines) {
    if (fd >= 0 && fd < remembered_descriptors) {
        __atomic_store_n(&output_lines[fd], lines & (TIOCM_DTR | TIOCM_RTS), __ATOMIC_RELEASE);
        __atomic_store_n(&output_lines_set[fd], 1, __ATOMIC_RELEASE);
    }
}

/* Answers `request` as an idle, connected serial line; returns -1 for requests it does not
 * stand in for, so that the real call's failure stands. */
static int answer_as_idle_line(int fd, unsigned long request, void* argument) {
    if (argument == NULL) {
        return -1;
    }
    switch (request) {
        case TIOCMGET:
            *(int*)argument = TIOCM_CTS | TIOCM_DSR | TIOCM_CAR | current_output_lines(fd);
            return 0;
        case TIOCMSET:
            remember_output_lines(fd, *(const int*)argument);
            return 0;
        case TIOCMBIS:
            remember_output_lines(fd, current_output_lines(fd) | *(const int*)argument);
            return 0;
        case TIOCMBIC:
            remember_output_lines(fd, current_output_lines(fd) & ~*(const int*)argument);
            return 0;
        case TIOCGICOUNT:
            memset(argument, 0, sizeof(struct serial_icounter_struct));
            return 0;
        case TIOCSERGETLSR:
            *(unsigned int*)argument = TIOCSER_TEMT;
            return 0;
        default:
            return -1;
    }
}

static int call_through(const char* name, ioctl_function* real, int fd, unsigned long request, void* argument) {
    ioctl_function function = __atomic_load_n(real, __ATOMIC_ACQUIRE);
    if (function == NULL) {
        /* POSIX guarantees a data pointer from dlsym converts to a function pointer. */
        void* symbol = dlsym(RTLD_NEXT, name);
        if (symbol == NULL) {
            errno = ENOSYS;
            return -1;
        }
        memcpy(&function, &symbol, sizeof function);
        __atomic_store_n(real, function, __ATOMIC_RELEASE);
    }
    const int result = function(fd, request, argument);
    if (result != -1) {
        return result;
    }
    /* Only "not a serial line" is answered for: a line that has been hung up fails with EIO,
     * and that must reach Wine as it is. */
    const int error = errno;
    if (error == ENOTTY && is_pty_slave(fd) && answer_as_idle_line(fd, request, argument) == 0) {
        return 0;
    }
    errno = error;
    return -1;
}

static ioctl_function real_ioctl;
static ioctl_function real_ioctl_time64;

int ioctl(int fd, unsigned long request, ...) {
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    return call_through("ioctl", &real_ioctl, fd, request, argument);
}

int __ioctl_time64(int fd, unsigned long request, ...);

int __ioctl_time64(int fd, unsigned long request, ...) {
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    return call_through("__ioctl_time64", &real_ioctl_time64, fd, request, argument);
}
