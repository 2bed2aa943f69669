// Where a command's results go: lines for people, or with --json one JSON object a line (NDJSON). Each result
// is given in both forms where it is made; the output writes the one asked for, or keeps both for a caller that
// shows them its own way (the monitor).
#pragma once

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "host/program/Json.h"

namespace sbhost {

// "5.00": a figure (litres, money units) as results show it.
inline std::string Fixed(double value) {
    char text[48];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

// One result in both forms.
struct Told {
    std::string text;
    JsonObject json;
};

class Output {
public:
    Output(std::ostream& out, bool json) : out_(&out), json_(json) {}
    // Keeps every result in *kept instead of writing it.
    explicit Output(std::vector<Told>* kept) : kept_(kept) {}

    // text ends without a newline; one is added.
    void Emit(const std::string& text, const JsonObject& object) {
        if (kept_ != nullptr) kept_->push_back(Told{text, object});
        else *out_ << (json_ ? object.Line() : text) << "\n" << std::flush;
    }
    // A line for people only (a prompt, a heading); nothing with --json, nor when results are kept.
    void Say(const std::string& text) {
        if (out_ != nullptr && !json_) *out_ << text << "\n" << std::flush;
    }
    bool json() const { return json_; }

private:
    std::ostream* out_ = nullptr;
    std::vector<Told>* kept_ = nullptr;
    bool json_ = false;
};

}  // namespace sbhost
