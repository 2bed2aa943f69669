// INI files on POSIX, read and updated the way the Windows profile functions do it: section and key names
// compare without regard to ASCII case, values are trimmed, and an update rewrites only the one line it
// concerns (or adds it at the end of its section), so other sections, keys and comments stay as they are.
#include "platform/Profile.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

namespace sb::platform {
namespace {

std::string Trim(const std::string& text) {
    const char* blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// A line "[name]" gives name; anything else gives nothing.
std::optional<std::string> SectionName(const std::string& line) {
    std::string text = Trim(line);
    if (text.size() < 2 || text.front() != '[') return std::nullopt;
    size_t close = text.find(']');
    if (close == std::string::npos) return std::nullopt;
    return Trim(text.substr(1, close - 1));
}

// A line "key=value" gives key; comments and other lines give nothing.
std::optional<std::string> KeyName(const std::string& line) {
    std::string text = Trim(line);
    if (text.empty() || text[0] == ';') return std::nullopt;
    size_t equals = text.find('=');
    if (equals == std::string::npos) return std::nullopt;
    return Trim(text.substr(0, equals));
}

std::vector<std::string> ReadLines(const std::string& path, bool* exists) {
    std::ifstream file(path, std::ios::binary);
    *exists = static_cast<bool>(file);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

std::optional<std::string> ReadProfileString(const std::string& path, const std::string& section,
                                             const std::string& key) {
    bool exists = false;
    bool inSection = false;
    for (const std::string& line : ReadLines(path, &exists)) {
        if (auto name = SectionName(line)) {
            inSection = SameName(*name, section);
        } else if (inSection) {
            auto lineKey = KeyName(line);
            if (lineKey && SameName(*lineKey, key)) return Trim(line.substr(line.find('=') + 1));
        }
    }
    return std::nullopt;
}

bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value) {
    bool exists = false;
    std::vector<std::string> lines = ReadLines(path, &exists);
    const std::string entry = key + "=" + value;

    bool inSection = false;
    bool sectionFound = false;
    size_t insertAt = lines.size();  // after the section's last key line
    bool done = false;
    for (size_t i = 0; i < lines.size() && !done; ++i) {
        if (auto name = SectionName(lines[i])) {
            if (inSection) break;  // the section ended without the key
            inSection = SameName(*name, section);
            if (inSection) {
                sectionFound = true;
                insertAt = i + 1;
            }
        } else if (inSection) {
            auto lineKey = KeyName(lines[i]);
            if (lineKey && SameName(*lineKey, key)) {
                lines[i] = entry;
                done = true;
            } else if (!Trim(lines[i]).empty()) {
                insertAt = i + 1;
            }
        }
    }
    if (!done) {
        if (sectionFound) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
        } else {
            if (!lines.empty() && !Trim(lines.back()).empty()) lines.emplace_back();
            lines.push_back("[" + section + "]");
            lines.push_back(entry);
        }
    }

    std::ostringstream text;
    for (const std::string& line : lines) text << line << "\r\n";
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out << text.str();
        if (!out.flush()) return false;
    }
    // Replace in one step so that a reader never sees a half-written file.
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

}  // namespace sb::platform
