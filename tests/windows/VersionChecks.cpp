#include "VersionChecks.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Check.h"

namespace wintest {
namespace {

constexpr char kLibrary[] = "sbdriver.dll";

std::string TextOf(std::vector<char>& info, const char* name) {
    char* value = nullptr;
    UINT length = 0;
    const std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || value == nullptr)
        return {};
    return std::string(value, strnlen(value, length));
}

}  // namespace

void CheckVersionResource() {
    DWORD unused = 0;
    const DWORD size = GetFileVersionInfoSizeA(kLibrary, &unused);
    if (!Expect(size > 0, "version resource: sbdriver.dll carries one")) return;
    std::vector<char> info(size);
    if (!Expect(GetFileVersionInfoA(kLibrary, 0, size, info.data()) != 0, "version resource: read back")) return;

    const std::string version = SB_PROJECT_VERSION;  // "major.minor"
    char* minor = nullptr;
    const unsigned long major = std::strtoul(version.c_str(), &minor, 10);
    const unsigned long minorNumber = std::strtoul(minor + 1, nullptr, 10);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (Expect(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length) && fixed != nullptr &&
                   length >= sizeof *fixed,
               "version resource: fixed part")) {
        ExpectEqual(HIWORD(fixed->dwFileVersionMS), major, "version resource: file version major");
        ExpectEqual(LOWORD(fixed->dwFileVersionMS), minorNumber, "version resource: file version minor");
        ExpectEqual(fixed->dwProductVersionMS, fixed->dwFileVersionMS, "version resource: product version");
    }
    ExpectEqual(TextOf(info, "FileVersion"), version, "version resource: FileVersion text");
    ExpectEqual(TextOf(info, "ProductVersion"), version, "version resource: ProductVersion text");
    ExpectEqual(TextOf(info, "ProductName"), std::string("sbdriver"), "version resource: ProductName");
    Expect(TextOf(info, "FileDescription").find("dispenser driver") != std::string::npos,
           "version resource: FileDescription names the driver", TextOf(info, "FileDescription"));
}

}  // namespace wintest
