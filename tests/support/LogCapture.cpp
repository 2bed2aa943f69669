#include "support/LogCapture.h"

#include <algorithm>
#include <sstream>

#include "common/Cp1251.h"
#include "logging/Log.h"

namespace sbtest {

LogCapture::LogCapture() : file_(dir_.File("host.pro")), previous_(sb::ProcessLog().FileName()) {
    sb::ProcessLog().SetFileName(file_);
}

LogCapture::~LogCapture() { sb::ProcessLog().SetFileName(previous_); }

std::vector<std::string> LogCapture::Texts() const {
    std::vector<std::string> texts;
    std::istringstream lines(ReadFile(file_));
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() < 13) continue;
        texts.push_back(sb::ToUtf8(line.substr(13)));
    }
    return texts;
}

bool LogCapture::Has(const std::string& text) const { return Count(text) > 0; }

size_t LogCapture::Count(const std::string& text) const {
    const std::vector<std::string> texts = Texts();
    return static_cast<size_t>(std::count(texts.begin(), texts.end(), text));
}

}  // namespace sbtest
