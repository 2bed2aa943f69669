// Windows-1251, the single-byte code page of every text the system writes: log lines, exception messages,
// the description block, menu captions and cnf.INI. Sources are UTF-8 and are converted here.
#pragma once

#include <string>
#include <string_view>

namespace sb {

// UTF-8 to Windows-1251. A character the code page lacks, or a broken UTF-8 sequence, becomes '?'.
std::string ToCp1251(std::string_view utf8);

// Windows-1251 to UTF-8. The one byte the code page leaves undefined (0x98) becomes U+FFFD.
std::string ToUtf8(std::string_view cp1251);

// A text of the system held in both forms: Windows-1251 for the wire, files and host; UTF-8 for people.
struct SystemText {
    explicit SystemText(std::string_view utf8Text) : cp1251(ToCp1251(utf8Text)), utf8(utf8Text) {}
    std::string cp1251;
    std::string utf8;
};

}  // namespace sb
