// Building packages from payload folders and checking files as the installer
// reads them: round trips, the matcher rules, and every refused input.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "package/crc32.h"
#include "package/member_table.h"
#include "packer/package_writer.h"

namespace vorn {
namespace {

std::string MakeTempDir()
{
    char pattern[] = "/tmp/vornpack-test-XXXXXX";
    return mkdtemp(pattern);
}

void WriteBytes(const std::string& path, const Bytes& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

Bytes Of(const std::string& s) { return Bytes(s.begin(), s.end()); }

class PackageWriter : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = MakeTempDir();
        for (size_t i = 0; i < kMemberNames.size(); ++i) {
            std::string text = std::string("[") + kMemberNames[i] + "]\r\n";
            for (size_t k = 0; k < 50 * (i + 1); ++k)
                text += "line " + std::to_string(k) + " ARNI\r\n";
            WriteBytes(dir + "/" + kMemberNames[i], Of(text));
        }
    }
    void TearDown() override { std::system(("rm -rf " + dir).c_str()); }

    std::string dir;
};

TEST_F(PackageWriter, BuildThenCheckRoundTripsEveryMember)
{
    BuiltPackage built;
    std::string error;
    ASSERT_TRUE(BuildPackage(dir, &built, &error)) << error;
    ASSERT_EQ(built.members.size(), 10u);
    std::string text(built.bytes.begin(), built.bytes.end());
    EXPECT_EQ(text.substr(0, 4), "ARNI");
    EXPECT_EQ(text.substr(text.size() - 10), "ARNIARNI\r\n");

    // Anything may stand ahead of the package as long as it holds no marker.
    Bytes file = Of("MZ header and code, no marker here; ");
    file.insert(file.end(), built.bytes.begin(), built.bytes.end());
    file.insert(file.end(), {'t', 'a', 'i', 'l'});
    WriteBytes(dir + "/installer.exe", file);

    CheckedPackage checked;
    ASSERT_TRUE(CheckPackageFile(dir + "/installer.exe", &checked, &error)) << error;
    EXPECT_EQ(checked.crc, built.crc);
    for (size_t i = 0; i < kMemberNames.size(); ++i) {
        FILE* f = fopen((dir + "/" + kMemberNames[i]).c_str(), "rb");
        Bytes original;
        for (int c; (c = getc(f)) != EOF;)
            original.push_back(static_cast<uint8_t>(c));
        fclose(f);
        EXPECT_TRUE(checked.contents[i] == original) << kMemberNames[i];
    }
}

TEST_F(PackageWriter, BuildRefusesMissingOrEmptyMembers)
{
    BuiltPackage built;
    std::string error;
    remove((dir + "/urls.ini").c_str());
    EXPECT_FALSE(BuildPackage(dir, &built, &error));
    EXPECT_NE(error.find("urls.ini: cannot open"), std::string::npos) << error;

    WriteBytes(dir + "/urls.ini", {});
    EXPECT_FALSE(BuildPackage(dir, &built, &error));
    EXPECT_NE(error.find("urls.ini: empty file"), std::string::npos) << error;
}

TEST_F(PackageWriter, FailedWriteLeavesNoFile)
{
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(dir + "/no/such/folder/package.bin", Of("x"), &error));
    EXPECT_NE(error.find("cannot write"), std::string::npos);
    EXPECT_TRUE(WriteFileAtomically(dir + "/package.bin", Of("x"), &error));
    EXPECT_EQ(fopen((dir + "/package.bin.partial").c_str(), "rb"), nullptr);
}

TEST_F(PackageWriter, CheckRefusesBrokenFiles)
{
    BuiltPackage built;
    std::string error;
    ASSERT_TRUE(BuildPackage(dir, &built, &error)) << error;
    std::string package(built.bytes.begin(), built.bytes.end());
    std::string tenMarkers = package.substr(0, package.size() - 6);  // without the closing pair

    struct Case { const char* name; std::string file; const char* fault; };
    const Case cases[] = {
        {"no marker", "plain bytes", "no package"},
        {"only the closing pair", "ARNIARNI", "no package"},
        {"marker ahead of the package", "code ARNIxyz " + package, "11 members"},
        {"partial match pending ahead of it", "code A" + package, "9 members"},
        {"no closing pair", tenMarkers, "no closing double marker"},
        {"a member that declares size 0", std::string("ARNI\0\0\0\0", 8) + package.substr(8), "does not decode"},
    };
    for (const Case& c : cases) {
        WriteBytes(dir + "/broken", Of(c.file));
        CheckedPackage checked;
        EXPECT_FALSE(CheckPackageFile(dir + "/broken", &checked, &error)) << c.name;
        EXPECT_NE(error.find(c.fault), std::string::npos) << c.name << ": " << error;
    }
}

}  // namespace
}  // namespace vorn
