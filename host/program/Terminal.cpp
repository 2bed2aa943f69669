#include "host/program/Terminal.h"

#include <cstdio>

namespace sbhost {

void Terminal::Write(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void Terminal::Draw(const std::string& lines) {
    std::string screen = "\x1b[H";
    for (const char c : lines) screen += c == '\n' ? std::string("\x1b[K\n") : std::string(1, c);
    Write(screen + "\x1b[J");
}

}  // namespace sbhost
