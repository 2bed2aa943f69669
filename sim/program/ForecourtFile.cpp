#include "sim/program/ForecourtFile.h"

#include <array>
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

// Reads the file line by line; a point is checked as a whole once its section ends, against the lines that
// gave its settings.
class FileReader {
public:
    FileReader(const std::string& name, const LineSetup& lineDefaults, const PointConfig& pointDefaults,
               Forecourt* forecourt)
        : name_(name), lineDefaults_(lineDefaults), pointDefaults_(pointDefaults), forecourt_(*forecourt) {}

    // Line `number` of the file; false and "NAME:LINE: why" in *error.
    bool Take(const std::string& raw, std::size_t number, std::string* error) {
        number_ = number;
        if (raw.size() > kMaxConfigLine)
            return Fail("longer than " + std::to_string(kMaxConfigLine) + " characters", error);
        const std::string line = Trimmed(raw.substr(0, raw.find('#')));
        if (line.empty()) return true;
        if (line.front() == '[') return EndPoint(error) && Section(line, error);
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) return Fail("expected [line NAME], [point N] or NAME = VALUE", error);
        const std::string key = Trimmed(line.substr(0, equals));
        const std::string value = Trimmed(line.substr(equals + 1));
        if (lineIndex_ < 0 && pointIndex_ < 0) return Fail("\"" + key + "\" before any [line] or [point]", error);
        if (key == "fault") {
            FaultOrder order;
            const std::vector<std::string> words = Words(value);
            if (!ReadFaultOrder(Target(), words, 0, &order, error)) return Fail(*error, error);
            forecourt_.faults.push_back(order);
            return true;
        }
        return pointIndex_ >= 0 ? PointSetting(key, value, error) : LineSetting(key, value, error);
    }

    // Checks the last point; points that named no line go on the first one, and a line named must be given.
    bool Finish(std::string* error) {
        if (!EndPoint(error)) return false;
        if (forecourt_.lines.empty()) forecourt_.lines.push_back(LineWithDefaults("A"));
        for (std::size_t i = 0; i < forecourt_.points.size(); ++i) {
            PointSetup& point = forecourt_.points[i];
            if (point.line.empty()) point.line = forecourt_.lines.front().name;
            number_ = lineSettings_[i];
            if (forecourt_.Line(point.line) == nullptr)
                return Fail("point " + std::to_string(point.address) + ": line " + point.line + " is not given", error);
        }
        return true;
    }

private:
    // Where the settings of the point being read came from, 0 for one not given.
    struct PointLines {
        std::size_t nozzlesLine = 0, gradesLine = 0, pricesLine = 0;
        std::size_t gradeCount = 0;
        std::vector<int64_t> prices;  // a price for each nozzle, in order
    };

    bool Fail(const std::string& why, std::string* error) const {
        *error = name_ + ":" + std::to_string(number_) + ": " + why;
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
            for (const PointSetup& other : forecourt_.points) {
                if (other.address == static_cast<unsigned>(address))
                    return Fail("point " + words[1] + " is given twice", error);
            }
            PointSetup point;
            point.address = static_cast<unsigned>(address);
            point.config = pointDefaults_;
            forecourt_.points.push_back(point);
            lineSettings_.push_back(number_);
            pointIndex_ = static_cast<int>(forecourt_.points.size()) - 1;
            current_ = PointLines{};
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
            lineSettings_.back() = number_;
        } else if (key == "device" && !value.empty()) {
            point.device = value;
        } else if (key == "nozzles" && Whole(value, 1, kMaxGrade, &number)) {
            config.nozzles = static_cast<int>(number);
            current_.nozzlesLine = number_;
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
            current_.gradesLine = number_;
            current_.gradeCount = words.size();
        } else if (key == "prices" && !words.empty() && words.size() <= kMaxGrade) {
            current_.prices.assign(words.size(), 0);
            for (std::size_t n = 0; n < words.size(); ++n) {
                if (!Hundredths(words[n], &current_.prices[n])) return Fail("prices are 0.00..999.99", error);
            }
            current_.pricesLine = number_;
        } else {
            return Fail(
                "a point takes line, device, nozzles = 1..6, grades (up to 6 of 1..6), prices (up to 6), "
                "flow and tank (1..999999), link-unit = yes|no and fault = KIND COUNT|on|off",
                error);
        }
        return true;
    }

    // The point just read, whole: a grade and a price for every nozzle it has, one price for each grade.
    bool EndPoint(std::string* error) {
        if (pointIndex_ < 0) return true;
        PointSetup& point = forecourt_.points[static_cast<std::size_t>(pointIndex_)];
        PointConfig& config = point.config;
        const std::string name = "point " + std::to_string(point.address) + " has " + std::to_string(config.nozzles) +
                                 (config.nozzles == 1 ? " nozzle" : " nozzles") +
                                 (current_.nozzlesLine == 0 ? " (nozzles not given)" : "");
        const std::size_t nozzles = static_cast<std::size_t>(config.nozzles);
        if (current_.gradesLine != 0 && current_.gradeCount != nozzles) {
            number_ = current_.gradesLine;
            return Fail(name + ", and grades names " + std::to_string(current_.gradeCount) +
                            ": give each nozzle its grade, in order",
                        error);
        }
        if (current_.pricesLine == 0) return true;
        number_ = current_.pricesLine;
        if (current_.prices.size() != nozzles) {
            return Fail(name + ", and prices names " + std::to_string(current_.prices.size()) +
                            ": give each nozzle's grade its price, in order",
                        error);
        }
        std::array<std::size_t, kMaxGrade + 1> pricedBy{};  // the nozzle that priced each grade
        for (std::size_t nozzle = 1; nozzle <= nozzles; ++nozzle) {
            const std::size_t grade = static_cast<std::size_t>(config.grades[nozzle]);
            const int64_t price = current_.prices[nozzle - 1];
            if (pricedBy[grade] != 0 && config.prices[grade] != price) {
                return Fail("point " + std::to_string(point.address) + ": nozzles " + std::to_string(pricedBy[grade]) +
                                " and " + std::to_string(nozzle) + " carry grade " + std::to_string(grade) +
                                " at two prices",
                            error);
            }
            config.prices[grade] = price;
            pricedBy[grade] = nozzle;
        }
        return true;
    }

    const std::string& name_;
    const LineSetup& lineDefaults_;
    const PointConfig& pointDefaults_;
    Forecourt& forecourt_;
    std::size_t number_ = 0;  // the line being read, or the one an error names
    int lineIndex_ = -1;
    int pointIndex_ = -1;
    PointLines current_;                     // of the point being read
    std::vector<std::size_t> lineSettings_;  // for each point, the line naming its line (or its section's)
};

}  // namespace

bool ReadForecourtFile(std::istream& in, const std::string& name, const LineSetup& lineDefaults,
                       const PointConfig& pointDefaults, Forecourt* forecourt, std::string* error) {
    FileReader reader(name, lineDefaults, pointDefaults, forecourt);
    std::string line;
    // Ends at the end of the file: one line a turn.
    for (std::size_t number = 1; std::getline(in, line); ++number) {
        if (!reader.Take(line, number, error)) return false;
    }
    return reader.Finish(error) && CheckForecourt(*forecourt, error);
}

}  // namespace sbsim
