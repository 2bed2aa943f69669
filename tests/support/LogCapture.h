// Points the process log at a file of the test's own and reads its lines back (as UTF-8, time stamps cut off).
#pragma once

#include <string>
#include <vector>

#include "support/TempDir.h"

namespace sbtest {

class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // The texts of the lines written so far, without time stamps, converted to UTF-8; empty lines skipped.
    std::vector<std::string> Texts() const;
    // True when some line's text equals text exactly.
    bool Has(const std::string& text) const;
    size_t Count(const std::string& text) const;
    const std::string& FileName() const { return file_; }

private:
    TempDir dir_;
    std::string file_;
    std::string previous_;
};

}  // namespace sbtest
