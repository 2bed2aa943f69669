#include "host/program/Json.h"

#include <cmath>
#include <cstdio>

namespace sbhost {

std::string JsonString(const std::string& value) {
    std::string json = "\"";
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            json += escaped;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

JsonObject& JsonObject::Raw(const std::string& key, const std::string& json) {
    body_ += (body_.empty() ? "" : ",") + JsonString(key) + ":" + json;
    return *this;
}

JsonObject& JsonObject::Text(const std::string& key, const std::string& value) { return Raw(key, JsonString(value)); }

JsonObject& JsonObject::Number(const std::string& key, long long value) { return Raw(key, std::to_string(value)); }

JsonObject& JsonObject::Figure(const std::string& key, double value, int decimals) {
    if (!std::isfinite(value)) return Raw(key, "null");
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return Raw(key, text);
}

JsonObject& JsonObject::Flag(const std::string& key, bool value) { return Raw(key, value ? "true" : "false"); }

JsonObject& JsonObject::Object(const std::string& key, const JsonObject& value) { return Raw(key, value.Line()); }

}  // namespace sbhost
