#include <windows.h>

#include <cstring>

#include "platform/LogFile.h"

namespace sb::platform {
namespace {

// Lines longer than this go out in more than one write; the driver's longest (a dump of 255 bytes) fits.
constexpr std::size_t kLineBufferSize = 1024;

// Others may read and write the log while a line is written, as with the C runtime's own files.
constexpr DWORD kShared = FILE_SHARE_READ | FILE_SHARE_WRITE;

HANDLE OpenForAppend(const char* path) {
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, kShared, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        file = CreateFileA(path, GENERIC_WRITE, kShared, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    return file;
}

bool WriteWhole(HANDLE file, const char* bytes, std::size_t size, std::size_t* written) {
    DWORD done = 0;
    const bool ok = WriteFile(file, bytes, static_cast<DWORD>(size), &done, nullptr) != 0;
    *written += done;
    return ok && done == size;
}

}  // namespace

bool AppendToFile(const char* path, const FilePiece* pieces, std::size_t count, std::size_t* written) {
    *written = 0;
    HANDLE file = OpenForAppend(path);
    if (file == INVALID_HANDLE_VALUE) return false;
    // The pieces are gathered into one buffer, so that a line is one write; a piece that does not fit goes out
    // after what is gathered, in a write of its own.
    char line[kLineBufferSize];
    std::size_t used = 0;
    bool ok = true;
    for (std::size_t i = 0; ok && i < count && i < kMaxFilePieces; ++i) {
        const FilePiece& piece = pieces[i];
        if (used + piece.size <= sizeof line) {
            std::memcpy(line + used, piece.data, piece.size);
            used += piece.size;
            continue;
        }
        ok = WriteWhole(file, line, used, written) && WriteWhole(file, piece.data, piece.size, written);
        used = 0;
    }
    if (ok && used > 0) WriteWhole(file, line, used, written);
    CloseHandle(file);
    return true;
}

}  // namespace sb::platform
