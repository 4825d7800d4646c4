#include "serial/open_failure_hint.h"

#include <cerrno>
#include <cstring>

#include "platform/serial_port.h"

namespace bv3::serial {

std::string OpenFailureHint(const ECommError& error, const std::string& deviceName) {
    const std::string path = platform::resolveDeviceName(deviceName);
    const std::string device = path == deviceName ? path : deviceName + " (" + path + ")";
    switch (error.ErrorCode()) {
        case EACCES:
        case EPERM:
            return "permission denied on " + device +
                   ": serial devices belong to the 'dialout' group; add yourself with "
                   "'sudo usermod -aG dialout $USER' and log in again";
        case EBUSY:
            return device + " is in use by another program";
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return "no device at " + device +
                   "; name a device path, or link ComN in $BV3_PORTS_DIR (default ~/.bv3/ports) to it";
        case -1:
            return device + " is not a serial device";
        default:
            return error.ErrorCode() > 0 ? device + ": " + std::strerror(error.ErrorCode()) : std::string();
    }
}

}  // namespace bv3::serial
