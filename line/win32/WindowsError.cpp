#include "line/win32/WindowsError.h"

#include <windows.h>

namespace sbline {

std::string WindowsError(const std::string& what) {
    const DWORD code = GetLastError();
    char message[256] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, message,
                                  sizeof message, nullptr);
    while (length > 0 && (message[length - 1] == '\r' || message[length - 1] == '\n' || message[length - 1] == ' '))
        --length;
    const std::string text = length > 0 ? std::string(message, length) + " " : std::string();
    return what + ": " + text + "(error " + std::to_string(code) + ")";
}

}  // namespace sbline
