// The installer's version information as the system reads it: the version
// API under Wine on the built installer and on the signed one, every string
// the file properties show, the fixed version numbers, the language, and the
// package CRC that the packer's verify and extract compare with.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "package_crc.h"  // the demo package's: vorn::ExpectedPackageCrc

namespace vorn {
namespace {

constexpr const char* kInstallers[] = {VORN_TEST_INSTALLER, VORN_TEST_SIGNED_INSTALLER};

struct VersionInfo {
    std::vector<char> data;
    // The value under a VerQueryValueA path, or null.
    const void* Query(const std::string& path, UINT* length) const
    {
        void* value = nullptr;
        *length = 0;
        return VerQueryValueA(data.data(), path.c_str(), &value, length) ? value : nullptr;
    }
    std::string String(const std::string& key) const
    {
        UINT length;
        const char* value = static_cast<const char*>(Query("\\StringFileInfo\\040904E4\\" + key, &length));
        return value ? std::string(value) : "<missing>";
    }
};

bool Load(const char* file, VersionInfo* info)
{
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(file, &handle);
    if (size == 0)
        return false;
    info->data.assign(size, 0);
    return GetFileVersionInfoA(file, 0, size, info->data.data()) != 0;
}

std::string Hex(uint32_t value)
{
    char text[16];
    snprintf(text, sizeof text, "%08X", value);
    return text;
}

TEST(VersionResource, StringsAsTheFilePropertiesShowThem)
{
    const struct {
        const char* key;
        std::string value;
    } strings[] = {
        {"FileDescription", "Vorn v5.82 32bit Installation"},  // the window title
        {"FileVersion", "5.82"},
        {"ProductName", "Vorn"},
        {"ProductVersion", "5.82"},
        {"OriginalFilename", "vornsetup.exe"},
        {"PackageCRC32", Hex(ExpectedPackageCrc)},
    };
    for (const char* file : kInstallers) {
        SCOPED_TRACE(file);
        VersionInfo info;
        ASSERT_TRUE(Load(file, &info)) << "no version information, error " << GetLastError();
        for (const auto& s : strings) {
            EXPECT_EQ(info.String(s.key), s.value) << s.key;
            printf("%-18s %s\n", s.key, info.String(s.key).c_str());
        }
    }
}

TEST(VersionResource, FixedNumbersAndLanguage)
{
    for (const char* file : kInstallers) {
        SCOPED_TRACE(file);
        VersionInfo info;
        ASSERT_TRUE(Load(file, &info)) << "no version information, error " << GetLastError();
        UINT length;
        auto fixed = static_cast<const VS_FIXEDFILEINFO*>(info.Query("\\", &length));
        ASSERT_NE(fixed, nullptr);
        ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(82, 5)) << "5.82";
        EXPECT_EQ(fixed->dwFileVersionLS, 0u);
        EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(82, 5)) << "5.82";
        EXPECT_EQ(fixed->dwProductVersionLS, 0u);
        EXPECT_EQ(fixed->dwFileFlags, 0u);
        EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
        EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

        auto language = static_cast<const WORD*>(info.Query("\\VarFileInfo\\Translation", &length));
        ASSERT_NE(language, nullptr);
        ASSERT_EQ(length, 4u);
        EXPECT_EQ(language[0], 0x0409) << "US English";
        EXPECT_EQ(language[1], 1252) << "Windows ANSI code page";
    }
}

}  // namespace
}  // namespace vorn
