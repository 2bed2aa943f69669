// Text cut and padded to a width in characters, not bytes: the driver's texts are Cyrillic, two bytes a
// character in UTF-8, and a cut must not split one.
#pragma once

#include <cstddef>
#include <string>

namespace sbhost {

// Characters (UTF-8 code points) in text.
std::size_t TextWidth(const std::string& text);
// text cut to width characters and padded with spaces to exactly width, on the right (left-aligned) or left.
std::string Cell(const std::string& text, std::size_t width, bool alignRight = false);

}  // namespace sbhost
