// A recording as a station keeps it: the driver's trace log and the rotated copies beside it (LOG.11 the oldest
// to LOG.0, then LOG itself), read in that order as one stream of lines, a chunk at a time, so that the whole set
// (up to twelve copies of 7 MiB and the log) takes no more memory than one file's chunk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <streambuf>
#include <string>
#include <vector>

namespace sbreplay {

// The driver keeps at most this many rotated copies, numbered from 0 (the newest).
constexpr int kRotatedCopies = 12;

struct RecordingPart {
    std::string path;
    uint64_t size = 0;
};

// The files of the recording named path, oldest first: the copies path.11 .. path.0 that exist beside it, then
// path. A copy named on its own (LOG.3) or a capture is read alone. A copy's name that is no regular file (a
// directory) is left out, and told in *leftOut when given. False and why in *error when path is a directory or
// cannot be looked up.
bool FindRecordingSet(const std::string& path, std::vector<RecordingPart>* parts, std::string* error,
                      std::vector<std::string>* leftOut = nullptr);

// The parts read one after the other as one stream. A part whose last line has no end gets one, so that no line
// joins across two parts (and no empty line is made, which would read as the start of a host).
class ChainedFiles : public std::streambuf {
public:
    explicit ChainedFiles(std::vector<RecordingPart> parts);

    uint64_t bytesRead() const { return bytesRead_; }
    uint64_t totalBytes() const { return totalBytes_; }
    // Where a line of the stream lies: "line 120" for a single file, "HOST.pro.3 line 120" in a set.
    std::string Where(std::size_t line) const;
    // The index of the part a line of the stream lies in, among the parts opened so far.
    std::size_t PartOf(std::size_t line) const;
    // Why reading stopped early; empty when it reached the end of the last part.
    const std::string& error() const { return error_; }

protected:
    int_type underflow() override;

private:
    bool OpenNext();

    std::vector<RecordingPart> parts_;
    std::size_t next_ = 0;                 // the part to open next
    std::vector<std::size_t> firstLines_;  // the stream's number of each opened part's first line
    std::ifstream file_;
    std::vector<char> chunk_;
    std::size_t newlines_ = 0;  // in the chunks handed out so far
    char last_ = '\n';          // the last byte handed out
    uint64_t bytesRead_ = 0;
    uint64_t totalBytes_ = 0;
    std::string error_;
};

}  // namespace sbreplay
