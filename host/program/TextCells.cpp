#include "host/program/TextCells.h"

namespace sbhost {
namespace {

bool Continues(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::size_t TextWidth(const std::string& text) {
    std::size_t width = 0;
    for (const char c : text) width += Continues(c) ? 0 : 1;
    return width;
}

std::string Cell(const std::string& text, std::size_t width, bool alignRight) {
    std::size_t end = 0;
    std::size_t taken = 0;
    while (end < text.size() && taken < width) {
        ++end;
        while (end < text.size() && Continues(text[end])) ++end;
        ++taken;
    }
    const std::string padding(width - taken, ' ');
    return alignRight ? padding + text.substr(0, end) : text.substr(0, end) + padding;
}

}  // namespace sbhost
