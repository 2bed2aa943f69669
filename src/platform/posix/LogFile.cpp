#include "platform/LogFile.h"

#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

namespace sb::platform {
namespace {

constexpr mode_t kNewFileMode = 0666;  // as stdio creates files; the process's umask applies

int OpenForAppend(const char* path) {
    int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, kNewFileMode);
    if (fd < 0) fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kNewFileMode);
    return fd;
}

}  // namespace

bool AppendToFile(const char* path, const FilePiece* pieces, std::size_t count, std::size_t* written) {
    *written = 0;
    const int fd = OpenForAppend(path);
    if (fd < 0) return false;
    iovec parts[kMaxFilePieces];
    std::size_t left = 0;
    int used = 0;
    for (std::size_t i = 0; i < count && i < kMaxFilePieces; ++i) {
        if (pieces[i].size == 0) continue;
        parts[used++] = iovec{const_cast<char*>(pieces[i].data), pieces[i].size};
        left += pieces[i].size;
    }
    // A file takes a short line whole; a write cut short goes on from where it stopped, and a failed one ends
    // the line. Each round writes at least one byte or ends, so the loop ends.
    int first = 0;
    while (left > 0) {
        const ssize_t n = writev(fd, parts + first, used - first);
        if (n <= 0) break;
        std::size_t done = static_cast<std::size_t>(n);
        *written += done;
        left -= done;
        while (first < used && done >= parts[first].iov_len) done -= parts[first++].iov_len;
        if (first < used) {
            parts[first].iov_base = static_cast<char*>(parts[first].iov_base) + done;
            parts[first].iov_len -= done;
        }
    }
    close(fd);
    return true;
}

}  // namespace sb::platform
