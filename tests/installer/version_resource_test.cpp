// The package CRC that the installer carries in its version information,
// read back through the version API under Wine, from the built installer and
// from the signed one: the packer's verify and extract compare the package
// with it. (The strings and numbers the file properties show are the
// resource script's own text; the build compiles them as written.)
#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "package_crc.h"  // the demo package's: vorn::ExpectedPackageCrc

namespace vorn {
namespace {

constexpr const char* kInstallers[] = {VORN_TEST_INSTALLER, VORN_TEST_SIGNED_INSTALLER};

// The string under `key` in the string table of the file's first declared
// language and code page, or "<missing>".
std::string VersionString(const char* file, const char* key)
{
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(file, &handle);
    std::vector<char> data(size);
    if (size == 0 || !GetFileVersionInfoA(file, 0, size, data.data()))
        return "<missing>";
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", &value, &length) || length < 4)
        return "<missing>";
    const WORD* language = static_cast<const WORD*>(value);
    char path[64];
    snprintf(path, sizeof path, "\\StringFileInfo\\%04X%04X\\%s", language[0], language[1], key);
    if (!VerQueryValueA(data.data(), path, &value, &length) || length == 0)
        return "<missing>";
    return static_cast<const char*>(value);
}

TEST(VersionResource, CarriesThePackageCrcForVerifyAndExtract)
{
    for (const char* file : kInstallers) {
        SCOPED_TRACE(file);
        const std::string text = VersionString(file, "PackageCRC32");
        // Eight hex digits, as the packer reads them.
        ASSERT_EQ(text.size(), 8u) << text;
        for (char c : text)
            ASSERT_TRUE(std::isxdigit(static_cast<unsigned char>(c))) << text;
        EXPECT_EQ(std::stoul(text, nullptr, 16), ExpectedPackageCrc) << text;
        printf("PackageCRC32 %s\n", text.c_str());
    }
}

}  // namespace
}  // namespace vorn
