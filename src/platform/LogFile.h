// The log file's own access: for each line one open for appending, one write and one close, with nothing kept
// open or buffered between lines and no heap memory taken on the way.
#pragma once

#include <cstddef>

namespace sb::platform {

// A run of bytes to write; the pieces of one line are written one after the other.
struct FilePiece {
    const char* data;
    std::size_t size;
};

// The most pieces one line is made of.
constexpr std::size_t kMaxFilePieces = 8;

// Opens the file at path (zero-terminated) for appending; when that fails (it does not exist, or cannot be
// opened that way) creates it anew, empty. Writes the first count pieces (at most kMaxFilePieces) in one write
// where the system takes them in one, and closes the file. False when the file could be neither opened nor
// created: nothing was written. Otherwise true, with the number of bytes that reached the file in *written
// (fewer than the pieces hold when a write failed; the file is closed all the same).
bool AppendToFile(const char* path, const FilePiece* pieces, std::size_t count, std::size_t* written);

}  // namespace sb::platform
