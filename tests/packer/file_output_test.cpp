// The packer's file output: a set of files written into a folder all or
// none, read back from the disk; every refusal and failure leaves the folder
// as it was.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "packer/file_output.h"

namespace vorn {
namespace {

Bytes Of(const std::string& s) { return Bytes(s.begin(), s.end()); }

std::string Read(const std::string& path)
{
    std::string text;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return "<missing>";
    for (int c; (c = getc(f)) != EOF;)
        text.push_back(static_cast<char>(c));
    fclose(f);
    return text;
}

void Write(const std::string& path, const std::string& text)
{
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    fputs(text.c_str(), f);
    fclose(f);
}

// Every entry below folder, as relative paths ("sub/" for a folder).
std::set<std::string> Tree(const std::string& folder, const std::string& prefix = "")
{
    std::set<std::string> entries;
    DIR* d = opendir(folder.c_str());
    if (!d)
        return entries;
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat s;
        std::string path = folder + "/" + name;
        if (lstat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode)) {
            entries.insert(prefix + name + "/");
            for (const std::string& inner : Tree(path, prefix + name + "/"))
                entries.insert(inner);
        } else {
            entries.insert(prefix + name);
        }
    }
    closedir(d);
    return entries;
}

class FolderOutput : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vornpack-output-XXXXXX";
        root = mkdtemp(pattern);
    }
    void TearDown() override { std::system(("rm -rf " + root).c_str()); }

    std::string root;
    const Bytes one = Of("first file\r\n"), two = Of("second\r\n"), empty;
    std::vector<FolderFile> files = {{"one.txt", &one}, {"two.ini", &two}, {"empty.dat", &empty}};
};

TEST_F(FolderOutput, CreatesMissingFoldersAndWritesEveryFileWhole)
{
    std::string error;
    ASSERT_TRUE(WriteFilesIntoFolder(root + "/a/b/", files, false, &error)) << error;
    EXPECT_EQ(Tree(root), (std::set<std::string>{"a/", "a/b/", "a/b/one.txt", "a/b/two.ini", "a/b/empty.dat"}));
    EXPECT_EQ(Read(root + "/a/b/one.txt"), "first file\r\n");
    EXPECT_EQ(Read(root + "/a/b/two.ini"), "second\r\n");
    EXPECT_EQ(Read(root + "/a/b/empty.dat"), "");
    // An ordinary new file's permissions, not the temporary file's 0600.
    struct stat s;
    ASSERT_EQ(stat((root + "/a/b/one.txt").c_str(), &s), 0);
    mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(s.st_mode & 0777, 0666 & ~mask);
}

TEST_F(FolderOutput, ReplacesExistingFilesOnlyWhenAsked)
{
    Write(root + "/two.ini", "kept");
    std::string error;
    EXPECT_FALSE(WriteFilesIntoFolder(root, files, false, &error));
    EXPECT_NE(error.find("two.ini: already exists"), std::string::npos) << error;
    EXPECT_EQ(Tree(root), std::set<std::string>{"two.ini"}) << "a refused run wrote something";
    EXPECT_EQ(Read(root + "/two.ini"), "kept");

    ASSERT_TRUE(WriteFilesIntoFolder(root, files, true, &error)) << error;
    EXPECT_EQ(Read(root + "/two.ini"), "second\r\n");
    EXPECT_EQ(Tree(root), (std::set<std::string>{"one.txt", "two.ini", "empty.dat"}));
}

TEST_F(FolderOutput, RefusalsAndFailuresLeaveNothingNew)
{
    const Bytes three = Of("3");
    struct Case {
        const char* name;
        std::string folder;  // relative to root
        std::vector<FolderFile> files;
        bool replace;
        const char* fault;
    };
    const Case cases[] = {
        {"a folder in the way", "", {{"one.txt", &one}, {"sub", &three}}, true, "sub: a folder is in the way"},
        {"the folder is a file", "plain", files, false, "plain: not a folder"},
        {"a folder below a file", "plain/x", files, false, "cannot create the folder"},
        // The third file cannot be created (its folder is missing) after two
        // were written: both are taken away again, and the new folders too.
        {"failure after two files", "new/deeper", {{"one.txt", &one}, {"two.ini", &two}, {"gone/three", &three}},
         false, "gone/three: cannot create a temporary file"},
        {"failure with replace", "", {{"one.txt", &one}, {"gone/three", &three}}, true, "cannot create"},
    };
    for (const Case& c : cases) {
        std::system(("rm -rf " + root + "/*").c_str());
        ASSERT_EQ(mkdir((root + "/sub").c_str(), 0777), 0);
        Write(root + "/plain", "a file");
        std::set<std::string> before = Tree(root);
        std::string error;
        EXPECT_FALSE(WriteFilesIntoFolder(root + "/" + c.folder, c.files, c.replace, &error)) << c.name;
        EXPECT_NE(error.find(c.fault), std::string::npos) << c.name << ": " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << c.name << ": not one line";
        EXPECT_EQ(Tree(root), before) << c.name;
    }
}

TEST_F(FolderOutput, NoFolderNamed)
{
    std::string error;
    EXPECT_FALSE(WriteFilesIntoFolder("", files, false, &error));
    EXPECT_NE(error.find("no folder"), std::string::npos) << error;
}

}  // namespace
}  // namespace vorn
