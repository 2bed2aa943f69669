#include "SettingsFile.h"

#include <windows.h>

#include <fstream>
#include <iterator>
#include <sstream>

namespace wintest {
namespace {
const char kContent[] =
    "[Other]\r\n"
    "Baud=1200\r\n"
    "\r\n"
    "[SB]\r\n"
    "Baud=9600\r\n"
    "SDec=100\r\n"
    "PDec=100\r\n"
    "T10_8=1\r\n";

std::optional<std::string> ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteWhole(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    return static_cast<bool>(out.flush());
}
}  // namespace

SettingsFile::SettingsFile() {
    char directory[MAX_PATH];
    UINT length = GetWindowsDirectoryA(directory, sizeof directory);
    if (length == 0 || length >= sizeof directory) return;
    path_ = std::string(directory, length) + "\\cnf.INI";
    previous_ = ReadWhole(path_);
    written_ = WriteWhole(path_, kContent);
}

SettingsFile::~SettingsFile() {
    if (!written_) return;
    if (previous_) {
        WriteWhole(path_, *previous_);
    } else {
        DeleteFileA(path_.c_str());
    }
}

}  // namespace wintest
