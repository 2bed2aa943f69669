#include "sim/program/ForecourtFile.h"

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "line/LineSpeeds.h"

namespace sbsim {
namespace {

constexpr int64_t kMaxHundredths = 99999;  // the widest price START carries

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream stream(text);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    return words;
}

bool Whole(const std::string& text, long low, long high, long* value) {
    char* end = nullptr;
    *value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && *value >= low && *value <= high;
}

// "45.90" as 4590 hundredths.
bool Hundredths(const std::string& text, int64_t* value) {
    char* end = nullptr;
    const double number = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(number >= 0) || number * 100 > kMaxHundredths) return false;
    *value = std::llround(number * 100);
    return true;
}

class FileReader {
public:
    FileReader(const LineSetup& lineDefaults, const PointConfig& pointDefaults, Forecourt* forecourt)
        : lineDefaults_(lineDefaults), pointDefaults_(pointDefaults), forecourt_(*forecourt) {}

    // One line of the file; false and why in *error.
    bool Take(const std::string& raw, std::string* error) {
        const std::string line = Trimmed(raw.substr(0, raw.find('#')));
        if (line.empty()) return true;
        if (line.front() == '[') return Section(line, error);
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) return Fail("expected [line NAME], [point N] or NAME = VALUE", error);
        const std::string key = Trimmed(line.substr(0, equals));
        const std::string value = Trimmed(line.substr(equals + 1));
        if (lineIndex_ < 0 && pointIndex_ < 0) return Fail("\"" + key + "\" before any [line] or [point]", error);
        if (key == "fault") {
            FaultOrder order;
            const std::vector<std::string> words = Words(value);
            if (!ReadFaultOrder(Target(), words, 0, &order, error)) return false;
            forecourt_.faults.push_back(order);
            return true;
        }
        return pointIndex_ >= 0 ? PointSetting(key, value, error) : LineSetting(key, value, error);
    }

    // Points that named no line go on the first one.
    void Finish() {
        if (forecourt_.lines.empty()) forecourt_.lines.push_back(LineWithDefaults("A"));
        for (PointSetup& point : forecourt_.points) {
            if (point.line.empty()) point.line = forecourt_.lines.front().name;
        }
    }

private:
    static bool Fail(const std::string& why, std::string* error) {
        *error = why;
        return false;
    }

    LineSetup LineWithDefaults(const std::string& name) const {
        LineSetup line = lineDefaults_;
        line.name = name;
        return line;
    }

    std::string Target() const {
        return pointIndex_ >= 0 ? std::to_string(forecourt_.points[static_cast<std::size_t>(pointIndex_)].address)
                                : forecourt_.lines[static_cast<std::size_t>(lineIndex_)].name;
    }

    bool Section(const std::string& line, std::string* error) {
        const std::vector<std::string> words = Words(line.back() == ']' ? line.substr(1, line.size() - 2) : "");
        long address = 0;
        if (words.size() == 2 && words[0] == "line" && std::isalpha(static_cast<unsigned char>(words[1][0]))) {
            if (forecourt_.Line(words[1]) != nullptr) return Fail("line " + words[1] + " is given twice", error);
            forecourt_.lines.push_back(LineWithDefaults(words[1]));
            lineIndex_ = static_cast<int>(forecourt_.lines.size()) - 1;
            pointIndex_ = -1;
            return true;
        }
        if (words.size() == 2 && words[0] == "point" && Whole(words[1], 1, kMaxAddress, &address)) {
            PointSetup point;
            point.address = static_cast<unsigned>(address);
            point.config = pointDefaults_;
            forecourt_.points.push_back(point);
            pointIndex_ = static_cast<int>(forecourt_.points.size()) - 1;
            return true;
        }
        return Fail("a section is [line NAME] (NAME starting with a letter) or [point N] (N 1..32)", error);
    }

    bool LineSetting(const std::string& key, const std::string& value, std::string* error) {
        LineSetup& line = forecourt_.lines[static_cast<std::size_t>(lineIndex_)];
        long number = 0;
        if (key == "baud" && Whole(value, 1, 1000000, &number) && sbline::IsSupportedBaud(static_cast<int>(number))) {
            line.baud = static_cast<int>(number);
        } else if (key == "turnaround" && Whole(value, 0, kMaxTurnaroundMs, &number)) {
            line.turnaroundMs = static_cast<int>(number);
        } else {
            return Fail("a line takes baud = 2400|9600, turnaround = 0..1000 and fault = KIND COUNT|on|off", error);
        }
        return true;
    }

    bool PointSetting(const std::string& key, const std::string& value, std::string* error) {
        PointSetup& point = forecourt_.points[static_cast<std::size_t>(pointIndex_)];
        PointConfig& config = point.config;
        const std::vector<std::string> words = Words(value);
        long number = 0;
        if (key == "line" && words.size() == 1) {
            point.line = value;
        } else if (key == "device" && !value.empty()) {
            point.device = value;
        } else if (key == "nozzles" && Whole(value, 1, kMaxGrade, &number)) {
            config.nozzles = static_cast<int>(number);
        } else if (key == "flow" && Whole(value, 1, kMaxDeliveryVolume, &number)) {
            config.flowPerPoll = number;
        } else if (key == "tank" && Whole(value, 1, kMaxDeliveryVolume, &number)) {
            config.tankCapacity = number;
        } else if (key == "link-unit" && (value == "yes" || value == "no")) {
            config.linkUnit = value == "yes";
        } else if (key == "grades" && !words.empty() && words.size() <= kMaxGrade) {
            for (std::size_t n = 0; n < words.size(); ++n) {
                if (!Whole(words[n], 1, kMaxGrade, &number)) return Fail("grades are 1..6", error);
                config.grades[n + 1] = static_cast<int>(number);
            }
        } else if (key == "prices" && !words.empty() && words.size() <= kMaxGrade) {
            for (std::size_t n = 0; n < words.size(); ++n) {
                if (!Hundredths(words[n], &config.prices[static_cast<std::size_t>(config.grades[n + 1])]))
                    return Fail("prices are 0.00..999.99", error);
            }
        } else {
            return Fail("a point takes line, device, nozzles = 1..6, grades (up to 6 of 1..6), prices (up to 6), "
                        "flow and tank (1..999999), link-unit = yes|no and fault = KIND COUNT|on|off",
                        error);
        }
        return true;
    }

    const LineSetup& lineDefaults_;
    const PointConfig& pointDefaults_;
    Forecourt& forecourt_;
    int lineIndex_ = -1;
    int pointIndex_ = -1;
};

}  // namespace

bool ReadForecourtFile(std::istream& in, const std::string& name, const LineSetup& lineDefaults,
                       const PointConfig& pointDefaults, Forecourt* forecourt, std::string* error) {
    FileReader reader(lineDefaults, pointDefaults, forecourt);
    std::string line;
    // Ends at the end of the file: one line a turn.
    for (std::size_t number = 1; std::getline(in, line); ++number) {
        std::string why;
        if (line.size() > kMaxConfigLine) why = "longer than " + std::to_string(kMaxConfigLine) + " characters";
        if (!why.empty() || !reader.Take(line, &why)) {
            *error = name + ":" + std::to_string(number) + ": " + why;
            return false;
        }
    }
    reader.Finish();
    return CheckForecourt(*forecourt, error);
}

}  // namespace sbsim
