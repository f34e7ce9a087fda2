// The packer's file output: one file through a fresh temporary beside it,
// and a set of files written into a folder all or none, read back from the
// disk; every refusal and failure leaves the folder as it was, and nothing
// planted at a name the writer might use is followed or removed.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>

#include "packer/fs/file_output.h"

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

TEST_F(FolderOutput, FolderPathsWithRepeatedAndTrailingSeparators)
{
    struct Case {
        const char* folder;  // relative to root
        std::set<std::string> tree;
        std::string into;  // where the files land
    };
    const Case cases[] = {
        {"a//b", {"a/", "a/b/"}, "a/b/"},
        {"a///b//", {"a/", "a/b/"}, "a/b/"},
        {"n/.", {"n/"}, "n/"},
        {"n/./", {"n/"}, "n/"},
        {"u/v/../w", {"u/", "u/v/", "u/w/"}, "u/w/"},
    };
    for (const Case& c : cases) {
        std::system(("rm -rf " + root + "/*").c_str());
        std::string error;
        ASSERT_TRUE(WriteFilesIntoFolder(root + "/" + c.folder, files, false, &error)) << c.folder << ": " << error;
        std::set<std::string> expected = c.tree;
        for (const char* name : {"one.txt", "two.ini", "empty.dat"})
            expected.insert(c.into + name);
        EXPECT_EQ(Tree(root), expected) << c.folder;
        EXPECT_EQ(Read(root + "/" + c.into + "two.ini"), "second\r\n") << c.folder;
    }
}

// Another writer at work in the folder while the files are renamed into
// place: what it puts there is never replaced or removed, and the run takes
// away only what it made.
TEST_F(FolderOutput, CleanUpAfterAFailedRenameRemovesOnlyWhatTheRunMade)
{
    enum Act { PlantFile, PlantFolder, SwapFirstAndPlant };
    struct Case {
        const char* name;
        bool replace;
        size_t at;  // before the rename of this file
        Act act;
        const char* fault;
        std::map<std::string, std::string> left;  // below root/new: what stays, with its bytes ("/": a folder)
    };
    const Case cases[] = {
        {"a file appears at the third name", false, 2, PlantFile, "empty.dat: appeared while the files were written",
         {{"deeper/", "/"}, {"deeper/empty.dat", "theirs"}}},
        {"a folder appears at the second name", false, 1, PlantFolder, "two.ini: appeared while",
         {{"deeper/", "/"}, {"deeper/two.ini/", "/"}}},
        // The first file, already in place, was replaced by another's: it is
        // no longer the run's own and stays.
        {"the first file replaced, then a name taken", false, 2, SwapFirstAndPlant, "empty.dat: appeared while",
         {{"deeper/", "/"}, {"deeper/one.txt", "theirs"}, {"deeper/empty.dat", "theirs"}}},
        // With replace, the renamed files stay (what they replaced cannot come
        // back); the temporaries still go.
        {"replace, a folder in the way", true, 1, PlantFolder, "two.ini: cannot rename the written file into place",
         {{"deeper/", "/"}, {"deeper/one.txt", "first file\r\n"}, {"deeper/two.ini/", "/"}}},
    };
    for (const Case& c : cases) {
        std::system(("rm -rf " + root + "/*").c_str());
        struct Context {
            const Case* c;
            std::string folder;
        } context{&c, root + "/new/deeper"};
        BeforeRename hook = {
            [](void* p, size_t index, const std::string& target) {
                auto* ctx = static_cast<Context*>(p);
                if (index != ctx->c->at)
                    return;
                if (ctx->c->act == SwapFirstAndPlant) {
                    Write(ctx->folder + "/theirs.tmp", "theirs");
                    rename((ctx->folder + "/theirs.tmp").c_str(), (ctx->folder + "/one.txt").c_str());
                }
                if (ctx->c->act == PlantFolder)
                    mkdir(target.c_str(), 0777);
                else
                    Write(target, "theirs");
            },
            &context};
        std::string error;
        EXPECT_FALSE(WriteFilesIntoFolder(context.folder, files, c.replace, &error, &hook)) << c.name;
        EXPECT_NE(error.find(c.fault), std::string::npos) << c.name << ": " << error;
        std::set<std::string> expected = {"new/"};
        for (const auto& [name, bytes] : c.left) {
            expected.insert("new/" + name);
            if (bytes != "/") {
                EXPECT_EQ(Read(root + "/new/" + name), bytes) << c.name << ": " << name;
            }
        }
        EXPECT_EQ(Tree(root), expected) << c.name;
    }
}

// One file through a fresh temporary beside it.
TEST_F(FolderOutput, OneFileNeverFollowsAPlantedLinkAndLeavesNothingOnFailure)
{
    struct Case {
        const char* name;
        const char* output;  // relative to root
        bool ok;
        const char* fault;
        std::set<std::string> tree;  // afterwards, beside "victim", "sub/" and "sub/inner"
    };
    const Case cases[] = {
        // Once the fixed temporary name: a link there is neither followed nor removed.
        {"a link at the old temporary name", "out.bin", true, "", {"out.bin", "out.bin.partial"}},
        // A link at the output itself is replaced, its target left alone.
        {"a link at the output", "link.bin", true, "", {"link.bin"}},
        {"a missing folder", "no/such/out.bin", false, "no/such/out.bin: cannot create a temporary file: No such file",
         {}},
        {"a folder in the way", "sub", false, "sub: cannot rename the written file into place: Is a directory", {}},
    };
    for (const Case& c : cases) {
        std::system(("rm -rf " + root + "/* " + root + "/.[!.]*").c_str());
        Write(root + "/victim", "victim's bytes");
        ASSERT_EQ(mkdir((root + "/sub").c_str(), 0777), 0);
        Write(root + "/sub/inner", "inner");
        ASSERT_EQ(symlink("victim", (root + "/out.bin.partial").c_str()), 0);
        ASSERT_EQ(symlink("victim", (root + "/link.bin").c_str()), 0);
        std::set<std::string> expected = {"victim", "sub/", "sub/inner", "out.bin.partial", "link.bin"};
        expected.insert(c.tree.begin(), c.tree.end());

        std::string error;
        EXPECT_EQ(WriteFileAtomically(root + "/" + c.output, one, &error), c.ok) << c.name << ": " << error;
        EXPECT_NE(error.find(c.fault), std::string::npos) << c.name << ": " << error;
        EXPECT_EQ(Tree(root), expected) << c.name;
        EXPECT_EQ(Read(root + "/victim"), "victim's bytes") << c.name;
        if (c.ok) {
            struct stat st;
            ASSERT_EQ(lstat((root + "/" + c.output).c_str(), &st), 0) << c.name;
            EXPECT_TRUE(S_ISREG(st.st_mode)) << c.name << ": the output is not a plain file";
            EXPECT_EQ(Read(root + "/" + c.output), "first file\r\n") << c.name;
        }
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
