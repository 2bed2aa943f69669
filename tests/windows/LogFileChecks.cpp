#include "LogFileChecks.h"

#include <cctype>
#include <fstream>
#include <iterator>
#include <string>

#include "Check.h"
#include "HostSetup.h"

namespace wintest {
namespace {

// "hh:mm:ss.zzz " at the start of a line.
bool HasTimeStamp(const std::string& line) {
    static const char kPattern[] = "dd:dd:dd.ddd ";
    if (line.size() < sizeof kPattern - 1) return false;
    for (size_t i = 0; i + 1 < sizeof kPattern; ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(line[i])) != 0;
        if (kPattern[i] == 'd' ? !digit : line[i] != kPattern[i]) return false;
    }
    return true;
}

}  // namespace

void CheckLogFile() {
    const std::string path = LogFilePath();
    std::ifstream in(path, std::ios::binary);
    if (!Expect(static_cast<bool>(in), "log: the driver wrote " + path)) return;
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    Expect(log.compare(0, 2, "\r\n") == 0 && log.compare(2, 2, "\r\n") != 0,
           "log: the first line of the process is preceded by one empty line");
    size_t lines = 0;
    bool stamped = true;
    for (size_t start = 2; start < log.size();) {
        size_t end = log.find("\r\n", start);
        if (end == std::string::npos) end = log.size();
        stamped = stamped && HasTimeStamp(log.substr(start, end - start));
        ++lines;
        start = end + 2;
    }
    Expect(lines > 0 && stamped, "log: every line starts with hh:mm:ss.zzz and ends with CR LF",
           std::to_string(lines) + " lines");

    const std::string point = std::to_string(kDeliveryPoint);
    Expect(log.find(" :  Send(" + point + "):  04 30 05") != std::string::npos,
           "log: the bytes sent are traced as a hex dump");
    Expect(log.find(Cp1251("Прием(") + point + ",OK): ") != std::string::npos,
           "log: the reception trace is written in Windows-1251");
    Expect(log.find(Cp1251("ЗАПРОС СОСТОЯНИЯ(") + point + ")") != std::string::npos,
           "log: the status poll is traced in Windows-1251");
    Expect(log.find("Прием") == std::string::npos, "log: no UTF-8 text in the file");
}

}  // namespace wintest
