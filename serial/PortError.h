// The port layer's last error: a Polish text (UTF-8) and a Win32-style code.
// Written from the calling thread and from the worker thread, last writer wins.
#pragma once

#include <cstdint>
#include <string>

namespace darvo {

// Win32 error codes the driver and the user program look at.
constexpr uint32_t ERR_SUCCESS = 0;
constexpr uint32_t ERR_FILE_NOT_FOUND = 2;
constexpr uint32_t ERR_ACCESS_DENIED = 5;
constexpr uint32_t ERR_INVALID_HANDLE = 6;
constexpr uint32_t ERR_NOT_ENOUGH_MEMORY = 8;
constexpr uint32_t ERR_GEN_FAILURE = 31;
constexpr uint32_t ERR_INVALID_PARAMETER = 87;
constexpr uint32_t ERR_OPERATION_ABORTED = 995;
constexpr uint32_t ERR_IO_DEVICE = 1117;

// Maps an errno value to the Win32 code the rest of the system understands.
uint32_t Win32FromErrno(int err);

void ReportPortError(const std::string &text, uint32_t code);
std::string LastPortErrorText();
uint32_t LastPortErrorCode();

} // namespace darvo
