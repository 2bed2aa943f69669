#include "LogFileChecks.h"

#include <windows.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "Check.h"

namespace wintest {
namespace {

constexpr unsigned long long kRotationLimit = 7340032;  // the live file moves to copy .0 once larger
constexpr int kOldestCopy = 11;
// Two past the last copy: from the thirteenth on, the oldest copy must be removed for the others to move up.
constexpr int kRotations = kOldestCopy + 3;

std::string CopyPath(const std::string& path, int number) { return path + "." + std::to_string(number); }

// The file's size, or nothing when it does not exist.
std::optional<unsigned long long> FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) == 0) return std::nullopt;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Grows or cuts the file to the size without writing it (the system leaves the new part empty).
bool SetFileSize(const std::string& path, unsigned long long size) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    const bool ok = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) != 0 && SetEndOfFile(file) != 0;
    CloseHandle(file);
    return ok;
}

// "hh:mm:ss.zzz " at the start of a line.
bool HasTimeStamp(const std::string& line) {
    static const char kPattern[] = "dd:dd:dd.ddd ";
    if (line.size() < sizeof kPattern - 1) return false;
    for (size_t i = 0; i + 1 < sizeof kPattern; ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(line[i])) != 0;
        if (kPattern[i] == 'd' ? !digit : line[i] != kPattern[i]) return false;
    }
    return true;
}

}  // namespace

void CheckLogFile() {
    const std::string path = LogFilePath();
    std::ifstream in(path, std::ios::binary);
    if (!Expect(static_cast<bool>(in), "log: the driver wrote " + path)) return;
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    Expect(log.compare(0, 2, "\r\n") == 0 && log.compare(2, 2, "\r\n") != 0,
           "log: the first line of the process is preceded by one empty line");
    size_t lines = 0;
    bool stamped = true;
    for (size_t start = 2; start < log.size();) {
        size_t end = log.find("\r\n", start);
        if (end == std::string::npos) end = log.size();
        stamped = stamped && HasTimeStamp(log.substr(start, end - start));
        ++lines;
        start = end + 2;
    }
    Expect(lines > 0 && stamped, "log: every line starts with hh:mm:ss.zzz and ends with CR LF",
           std::to_string(lines) + " lines");

    const std::string point = std::to_string(kDeliveryPoint);
    Expect(log.find(" :  Send(" + point + "):  04 30 05") != std::string::npos,
           "log: the bytes sent are traced as a hex dump");
    Expect(log.find(Cp1251("Прием(") + point + ",OK): ") != std::string::npos,
           "log: the reception trace is written in Windows-1251");
    Expect(log.find(Cp1251("ЗАПРОС СОСТОЯНИЯ(") + point + ")") != std::string::npos,
           "log: the status poll is traced in Windows-1251");
    Expect(log.find("Прием") == std::string::npos, "log: no UTF-8 text in the file");
}

void CheckLogRotation(HostSetup& host) {
    const std::string path = LogFilePath();
    std::string grown;  // the rounds after which the live file was still above the limit
    for (int round = 1; round <= kRotations; ++round) {
        if (!SetFileSize(path, kRotationLimit + 1)) {
            return Report(false, "log rotation: the live file grown past the limit", path);
        }
        host.Slots().PollStatus(host.driver, kSlotPoint, 0);  // its first line rotates, the others start anew
        const unsigned long long size = FileSize(path).value_or(0);
        if (size > kRotationLimit) grown += " " + std::to_string(round) + ": " + std::to_string(size) + " bytes;";
    }
    Expect(grown.empty(), "log rotation: " + std::to_string(kRotations) + " times, the live file starts anew each time",
           grown.empty() ? std::string() : "still above the limit after round" + grown);
    bool kept = true;
    for (int n = 0; n <= kOldestCopy; ++n) kept = kept && FileSize(CopyPath(path, n)).has_value();
    Expect(kept && !FileSize(CopyPath(path, kOldestCopy + 1)),
           "log rotation: copies .0 to ." + std::to_string(kOldestCopy) + " kept, none beyond");
    for (int n = 0; n <= kOldestCopy + 1; ++n) DeleteFileA(CopyPath(path, n).c_str());
}

}  // namespace wintest
