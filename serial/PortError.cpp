#include "PortError.h"

#include <cerrno>
#include <mutex>

namespace darvo {

namespace {
std::mutex errorMutex;
std::string lastText;
uint32_t lastCode = 0;
} // namespace

uint32_t Win32FromErrno(int err) {
    switch (err) {
    case 0: return ERR_SUCCESS;
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR: return ERR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EBUSY:
    case EWOULDBLOCK: return ERR_ACCESS_DENIED;
    case EBADF:
    case ENOTTY: return ERR_INVALID_HANDLE;
    case ENOMEM: return ERR_NOT_ENOUGH_MEMORY;
    case EINVAL: return ERR_INVALID_PARAMETER;
    case ECANCELED: return ERR_OPERATION_ABORTED;
    case EIO: return ERR_IO_DEVICE;
    default: return ERR_GEN_FAILURE;
    }
}

void ReportPortError(const std::string &text, uint32_t code) {
    std::lock_guard<std::mutex> lock(errorMutex);
    lastText = text;
    lastCode = code;
}

std::string LastPortErrorText() {
    std::lock_guard<std::mutex> lock(errorMutex);
    return lastText;
}

uint32_t LastPortErrorCode() {
    std::lock_guard<std::mutex> lock(errorMutex);
    return lastCode;
}

} // namespace darvo
