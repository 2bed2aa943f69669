// PASS/FAIL lines of the Windows test host, and the tally that decides its exit status.
#pragma once

#include <sstream>
#include <string>

namespace wintest {

// Prints "PASS what" or "FAIL what" (with the detail) and counts it.
void Report(bool ok, const std::string& what, const std::string& detail = {});

// Number of failed checks so far.
int Failures();

template <typename Got, typename Want>
bool ExpectEqual(const Got& got, const Want& want, const std::string& what) {
    const bool ok = got == want;
    std::ostringstream detail;
    if (!ok) detail << "got " << got << ", expected " << want;
    Report(ok, what, detail.str());
    return ok;
}

inline bool Expect(bool ok, const std::string& what, const std::string& detail = {}) {
    Report(ok, what, detail);
    return ok;
}

}  // namespace wintest
