#include "Check.h"

#include <cstdio>

namespace wintest {
namespace {
int failures = 0;
}

void Report(bool ok, const std::string& what, const std::string& detail) {
    if (!ok) ++failures;
    std::printf("%s %s%s%s\n", ok ? "PASS" : "FAIL", what.c_str(), detail.empty() ? "" : ": ", detail.c_str());
    std::fflush(stdout);
}

int Failures() { return failures; }

}  // namespace wintest
