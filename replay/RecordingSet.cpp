#include "replay/RecordingSet.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace sbreplay {
namespace {

constexpr std::size_t kChunkBytes = 64 * 1024;

bool IsFile(const std::string& path, uint64_t* size) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return false;
    *size = std::filesystem::file_size(path, error);
    return !error;
}

std::string FileName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

}  // namespace

bool FindRecordingSet(const std::string& path, std::vector<RecordingPart>* parts, std::string* error,
                      std::vector<std::string>* leftOut) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        *error = path + " is a directory, not a recording";
        return false;
    }
    uint64_t size = 0;
    if (!IsFile(path, &size)) {
        std::ifstream probe(path, std::ios::binary);  // for the system's reason
        *error = "cannot open " + path + ": " + (probe ? "not a regular file" : std::strerror(errno));
        return false;
    }
    parts->clear();
    for (int copy = kRotatedCopies - 1; copy >= 0; --copy) {
        RecordingPart part{path + "." + std::to_string(copy), 0};
        if (IsFile(part.path, &part.size)) {
            parts->push_back(part);
        } else if (leftOut != nullptr && std::filesystem::exists(part.path, ignored)) {
            leftOut->push_back(part.path + (std::filesystem::is_directory(part.path, ignored)
                                                ? " is a directory, not a copy of the log: left out"
                                                : " is no regular file: left out"));
        }
    }
    parts->push_back(RecordingPart{path, size});
    return true;
}

ChainedFiles::ChainedFiles(std::vector<RecordingPart> parts) : parts_(std::move(parts)), chunk_(kChunkBytes) {
    for (const RecordingPart& part : parts_) totalBytes_ += part.size;
    setg(chunk_.data(), chunk_.data(), chunk_.data());
}

std::size_t ChainedFiles::PartOf(std::size_t line) const {
    std::size_t part = 0;
    while (part + 1 < firstLines_.size() && firstLines_[part + 1] <= line) ++part;
    return part;
}

std::string ChainedFiles::Where(std::size_t line) const {
    if (parts_.size() <= 1 || firstLines_.empty()) return "line " + std::to_string(line);
    const std::size_t part = PartOf(line);
    return FileName(parts_[part].path) + " line " + std::to_string(line - firstLines_[part] + 1);
}

bool ChainedFiles::OpenNext() {
    const std::string& path = parts_[next_++].path;
    firstLines_.push_back(newlines_ + 1);
    file_.clear();
    file_.open(path, std::ios::binary);
    if (!file_) error_ = "cannot open " + path + ": " + std::strerror(errno);
    return error_.empty();
}

ChainedFiles::int_type ChainedFiles::underflow() {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    std::size_t count = 0;
    // Each turn hands out a chunk, closes a part or opens the next one: the parts and their bytes are finite.
    while (count == 0 && error_.empty()) {
        if (file_.is_open()) {
            file_.read(chunk_.data(), static_cast<std::streamsize>(chunk_.size()));
            count = static_cast<std::size_t>(file_.gcount());
            if (count > 0) break;
            if (file_.bad()) {
                error_ = "reading " + parts_[next_ - 1].path + " failed";
                break;
            }
            file_.close();
            if (last_ != '\n') {
                chunk_[0] = '\n';
                count = 1;
                break;
            }
        }
        if (next_ >= parts_.size() || !OpenNext()) break;
    }
    if (count == 0) return traits_type::eof();
    for (std::size_t i = 0; i < count; ++i) newlines_ += chunk_[i] == '\n';
    bytesRead_ += count;
    last_ = chunk_[count - 1];
    setg(chunk_.data(), chunk_.data(), chunk_.data() + count);
    return traits_type::to_int_type(chunk_[0]);
}

}  // namespace sbreplay
