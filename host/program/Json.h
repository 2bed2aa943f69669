// One JSON object written on one line, its fields in the order they were added (sbhost --json).
#pragma once

#include <string>

namespace sbhost {

class JsonObject {
public:
    JsonObject& Text(const std::string& key, const std::string& value);
    JsonObject& Number(const std::string& key, long long value);
    // A figure with `decimals` places, as volumes, prices and amounts are shown.
    JsonObject& Figure(const std::string& key, double value, int decimals = 2);
    JsonObject& Flag(const std::string& key, bool value);
    JsonObject& Object(const std::string& key, const JsonObject& value);

    // "{...}"
    std::string Line() const { return "{" + body_ + "}"; }
    bool Empty() const { return body_.empty(); }

private:
    JsonObject& Raw(const std::string& key, const std::string& json);

    std::string body_;
};

// value as a JSON string, quotes included.
std::string JsonString(const std::string& value);

}  // namespace sbhost
