// Where a command's results go: lines for people, or with --json one JSON object a line (NDJSON). Each result
// is given in both forms where it is made; the output writes the one asked for.
#pragma once

#include <cstdio>
#include <ostream>
#include <string>

#include "host/Json.h"

namespace sbhost {

// "5.00": a figure (litres, money units) as results show it.
inline std::string Fixed(double value) {
    char text[48];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

class Output {
public:
    Output(std::ostream& out, bool json) : out_(out), json_(json) {}

    // text ends without a newline; one is added.
    void Emit(const std::string& text, const JsonObject& object) {
        out_ << (json_ ? object.Line() : text) << "\n" << std::flush;
    }
    // A line for people only (a prompt, a heading); nothing with --json.
    void Say(const std::string& text) {
        if (!json_) out_ << text << "\n" << std::flush;
    }
    bool json() const { return json_; }
    std::ostream& stream() { return out_; }

private:
    std::ostream& out_;
    bool json_;
};

}  // namespace sbhost
