#include "VersionChecks.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
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

// The image version of the PE header (MajorImageVersion, MinorImageVersion), read from the file; false when the
// file is no 32-bit PE image.
bool ImageVersion(unsigned long* major, unsigned long* minor) {
    std::ifstream file(kLibrary, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    IMAGE_DOS_HEADER dos{};
    IMAGE_NT_HEADERS32 nt{};
    if (bytes.size() < sizeof dos) return false;
    std::memcpy(&dos, bytes.data(), sizeof dos);
    const std::size_t at = static_cast<std::size_t>(dos.e_lfanew);
    if (dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew < 0 || bytes.size() < sizeof nt ||
        at > bytes.size() - sizeof nt)
        return false;
    std::memcpy(&nt, bytes.data() + at, sizeof nt);
    if (nt.Signature != IMAGE_NT_SIGNATURE || nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC) return false;
    *major = nt.OptionalHeader.MajorImageVersion;
    *minor = nt.OptionalHeader.MinorImageVersion;
    return true;
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
    ExpectEqual(TextOf(info, "CompanyName"), std::string("sbdriver"), "version resource: CompanyName");
    ExpectEqual(TextOf(info, "LegalCopyright"), std::string("Copyright (C) sbdriver"),
                "version resource: LegalCopyright");
    unsigned long imageMajor = 0, imageMinor = 0;
    if (Expect(ImageVersion(&imageMajor, &imageMinor), "PE header: read back")) {
        ExpectEqual(imageMajor, major, "PE header: image version major");
        ExpectEqual(imageMinor, minorNumber, "PE header: image version minor");
    }
    Expect(TextOf(info, "FileDescription").find("dispenser driver") != std::string::npos,
           "version resource: FileDescription names the driver", TextOf(info, "FileDescription"));
}

}  // namespace wintest
