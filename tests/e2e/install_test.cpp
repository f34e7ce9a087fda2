// Installations end to end: the full run on the old and the new shell, the
// Finish page's ways out, the abort question, the failure boxes with their
// rollback, and the planted "Ctl3d32.dll".
#include <gtest/gtest.h>
#include <windows.h>
#include <wintrust.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "tests/e2e/driver/outcome.h"
#include "tests/e2e/driver/scenario.h"
#include "tests/e2e/driver/window_driver.h"
#include "tests/support/expected_boxes.h"
#include "tests/support/help_window.h"
#include "tests/support/package_members.h"
#include "tests/support/recording_progman.h"

namespace vorn::e2e {
namespace {

constexpr char kIgnoreList[] = "*.exe,*.com,*.bat,*.dll,*.ini,*.mrc,*.vbs,*.js,*.pif,*.scr,*.lnk,*.pl,*.shs";

bool SameFolder(const std::string& a, const std::string& b)
{
    return _stricmp(a.c_str(), b.c_str()) == 0;
}

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(tolower(c)); });
    return s;
}

class Install : public testing::Test {
protected:
    void SetUp() override
    {
        ClearInstallation();
        OpenHelpWindow();  // forgets earlier requests
    }
    void TearDown() override
    {
        StopRecordingProgman();
        ClearInstallation();
    }

    void Start(RunOptions options = {})
    {
        std::string error;
        ASSERT_TRUE(run.Launch(options, &error)) << error;
    }

    // Ticks the Finish page's boxes as asked.
    void Tick(bool help, bool launch)
    {
        if (help)
            Click(run.wizard, 183);
        if (launch)
            Click(run.wizard, 184);
        EXPECT_TRUE(WaitUntil([&] {
            return ItemChecked(run.wizard, 183) == help && ItemChecked(run.wizard, 184) == launch;
        }));
    }

    // The launch and the help request, both asked for.
    void ExpectClientAndHelp(const char* folder)
    {
        std::string record;
        EXPECT_TRUE(WaitUntil([&] { return ReadFileText(kRecordFile, &record) && !record.empty(); }))
            << "the demo client was not started";
        EXPECT_TRUE(SameFolder(record, std::string("started in ") + folder + "\r\n")) << record;
        ASSERT_EQ(HelpRequests().size(), 1u) << "help requests";
        EXPECT_TRUE(SameFolder(HelpRequests()[0].file, std::string(folder) + "\\vorn.hlp"))
            << HelpRequests()[0].file;
        EXPECT_EQ(HelpRequests()[0].command, 1u) << "HELP_CONTEXT";
        EXPECT_EQ(HelpRequests()[0].data, 10L) << "context number";
    }

    Scenario run;
};

// Status texts the Progress page may show, with the member each one names
// (-1 for the opening text); -2 for a text that is not one of them.
int StatusMember(const std::string& text)
{
    if (text == "Scanning files...")
        return -1;
    for (int i = 0; i < 10; ++i)
        for (const char* form : {"Scanning file: ", "Extracting file: "})
            if (text == std::string(form) + kMemberNames[i])
                return i;
    return -2;
}

TEST_F(Install, FullInstallOnTheOldShell)
{
    Start();
    ASSERT_TRUE(run.GoToOptions());
    ASSERT_EQ(ItemText(run.wizard, 152), kDefaultFolder);
    Click(run.wizard, IDOK);

    // Watch the Progress page until the Finish page comes.
    std::vector<std::string> texts;
    bool finished = WaitUntil([&] {
        if (ShownPage(run.wizard) == kProgress) {
            std::string t = ItemText(run.wizard, 170);
            if (texts.empty() || texts.back() != t)
                texts.push_back(t);
        }
        return ShownPage(run.wizard) == kFinish;
    }, kExtractMs);
    ASSERT_TRUE(finished) << "no Finish page; last status " << (texts.empty() ? "-" : texts.back());
    EXPECT_EQ(CompareWithPayload("C:\\Vorn", inputs.payload), "") << "at the Finish page";
    int last = -1;
    EXPECT_FALSE(texts.empty()) << "the Progress page was never seen";
    for (const std::string& t : texts) {
        int member = StatusMember(t);
        EXPECT_NE(member, -2) << "unknown status text \"" << t << "\"";
        // "Scanning files..." comes back with every page change, the Finish page's too.
        if (member >= 0) {
            EXPECT_GE(member, last) << "status \"" << t << "\" out of package order";
        }
        last = std::max(last, member);
    }

    // The group, as Wine's shell wrote it: old-shell text items use write.exe.
    for (const GroupItem& i : kGroupItems) {
        const ShellLink link = ReadShellLink(GroupFolder() + "\\" + i.name + ".lnk");
        ASSERT_TRUE(link.loaded) << "no group item " << i.name << " in " << GroupFolder();
        EXPECT_TRUE(SameFolder(link.target, std::string("c:\\Vorn\\") + i.file)) << i.name << ": " << link.target;
        EXPECT_TRUE(SameFolder(link.workDir, "c:\\Vorn")) << i.name << ": " << link.workDir;
        if (i.textFile)
            EXPECT_NE(Lower(link.iconPath).find("write.exe"), std::string::npos) << i.name << ": " << link.iconPath;
        else
            EXPECT_EQ(Lower(link.iconPath).find("write.exe"), std::string::npos) << i.name << ": " << link.iconPath;
    }

    Tick(true, true);
    Click(run.wizard, IDCANCEL);  // "&Finish"
    EXPECT_EQ(run.WaitExit(), 0);
    EXPECT_EQ(CompareWithPayload("C:\\Vorn", inputs.payload, true), "");
    ExpectClientAndHelp(kDefaultFolder);
    EXPECT_FALSE(UninstallKeyExists()) << "the old shell writes no uninstall entry";
    char ignore[256] = "";
    GetPrivateProfileStringA("text", "ignore", "", ignore, sizeof ignore, "C:\\Vorn\\vorn.ini");
    EXPECT_STREQ(ignore, kIgnoreList);
}

TEST_F(Install, FullInstallOnTheNewShellWritesTheUninstallEntry)
{
    // The twelve commands are read from a recording Program Manager.
    ASSERT_TRUE(StartRecordingProgman() && SetProgmanRegistered(true));
    RunOptions options;
    options.exeName = "vornsetup95.exe";
    options.newShell = true;
    Start(options);
    ASSERT_TRUE(run.GoToOptions());
    ASSERT_TRUE(run.InstallToFinish()) << "page " << ShownPage(run.wizard);
    Tick(true, true);
    Click(run.wizard, IDCANCEL);
    EXPECT_EQ(run.WaitExit(), 0);
    EXPECT_EQ(CompareWithPayload("C:\\Vorn", inputs.payload, true), "");
    ExpectClientAndHelp(kDefaultFolder);

    const RegistryValue name = ReadUninstallValue("DisplayName");
    ASSERT_TRUE(name.found);
    EXPECT_EQ(name.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(name.data, StoredText("Vorn"));
    const RegistryValue command = ReadUninstallValue("UninstallString");
    ASSERT_TRUE(command.found);
    EXPECT_EQ(command.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(command.data, StoredText("\"c:\\Vorn\\vorn32.exe\" -uninstall"));

    EXPECT_EQ(ExecutedCommands(ProgmanLog()), ExpectedGroupCommands("c:\\Vorn", true));
}

// The certificate table of a PE file: its offset and size from the headers'
// data directory, checked to lie inside the file; {0, 0} when there is none.
std::pair<size_t, size_t> CertificateTable(const std::string& file)
{
    auto at = [&file](size_t offset, size_t bytes) {
        uint32_t value = 0;
        for (size_t i = 0; i < bytes && offset + i < file.size(); ++i)
            value |= static_cast<uint32_t>(static_cast<uint8_t>(file[offset + i])) << (8 * i);
        return value;
    };
    size_t nt = at(offsetof(IMAGE_DOS_HEADER, e_lfanew), 4);
    size_t optional = nt + offsetof(IMAGE_NT_HEADERS32, OptionalHeader);
    size_t directories = at(optional, 2) == IMAGE_NT_OPTIONAL_HDR64_MAGIC
                             ? optional + offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory)
                             : optional + offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory);
    size_t entry = directories + IMAGE_DIRECTORY_ENTRY_SECURITY * sizeof(IMAGE_DATA_DIRECTORY);
    if (at(nt, 4) != IMAGE_NT_SIGNATURE || entry + 8 > file.size())
        return {0, 0};
    size_t offset = at(entry, 4), size = at(entry + 4, 4);  // a file offset, not an address
    return offset + size <= file.size() ? std::make_pair(offset, size) : std::make_pair(size_t{0}, size_t{0});
}

// The installer signed in the build with a throw-away certificate (the
// build's post-link check ran vornpack verify and osslsigncode verify on it):
// the signature behind everything changes nothing for the installation.
TEST_F(Install, SignedInstallerInstallsEveryFileIntact)
{
    ASSERT_FALSE(inputs.signedInstaller.empty()) << "needs --signed-installer";
    std::string plain, signedFile;
    ASSERT_TRUE(ReadFileText(inputs.installer, &plain));
    ASSERT_TRUE(ReadFileText(inputs.signedInstaller, &signedFile));
    EXPECT_EQ(CertificateTable(plain).second, 0u) << "the demo installer is signed";
    auto [offset, size] = CertificateTable(signedFile);
    ASSERT_GT(size, 0u) << "no certificate table: not signed";
    EXPECT_EQ(offset + size, signedFile.size()) << "the signature is not the end of the file";
    WIN_CERTIFICATE header;
    ASSERT_GE(size, sizeof header);
    memcpy(&header, signedFile.data() + offset, sizeof header);
    EXPECT_EQ(header.wRevision, WIN_CERT_REVISION_2_0);
    EXPECT_EQ(header.wCertificateType, WIN_CERT_TYPE_PKCS_SIGNED_DATA);

    RunOptions options;
    options.source = inputs.signedInstaller;
    Start(options);
    ASSERT_TRUE(run.GoToOptions());
    ASSERT_TRUE(run.InstallToFinish()) << "page " << ShownPage(run.wizard);
    EXPECT_EQ(CompareWithPayload("C:\\Vorn", inputs.payload), "") << "at the Finish page";
    Click(run.wizard, IDCANCEL);  // "&Finish"
    EXPECT_EQ(run.WaitExit(), 0);
    EXPECT_EQ(CompareWithPayload("C:\\Vorn", inputs.payload, true), "");
}

TEST_F(Install, FinishPageEscapeAndCloseBoxFinishAsTheButtonDoes)
{
    enum Way { kEscape, kCloseBox };
    for (Way way : {kEscape, kCloseBox}) {
        SCOPED_TRACE(way == kEscape ? "Escape" : "close box");
        ClearInstallation();
        OpenHelpWindow();
        Scenario one;
        std::string error;
        RunOptions options;
        options.exeName = "vornsetup95.exe";
        options.newShell = true;
        ASSERT_TRUE(one.Launch(options, &error)) << error;
        ASSERT_TRUE(one.GoToOptions());
        ASSERT_TRUE(one.InstallToFinish());
        // Wine's shell made the group: on the new shell the text items name no icon.
        for (const GroupItem& item : kGroupItems) {
            const ShellLink link = ReadShellLink(GroupFolder() + "\\" + item.name + ".lnk");
            ASSERT_TRUE(link.loaded) << item.name;
            EXPECT_EQ(link.iconPath, "") << item.name;
        }
        Click(one.wizard, 183);
        Click(one.wizard, 184);
        ASSERT_TRUE(WaitUntil([&] { return ItemChecked(one.wizard, 183) && ItemChecked(one.wizard, 184); }));
        if (way == kEscape)
            PressKey(one.wizard, VK_ESCAPE);
        else
            PressCloseBox(one.wizard);
        EXPECT_EQ(one.WaitExit(), 0);
        ExpectClientAndHelp(kDefaultFolder);
        EXPECT_TRUE(UninstallKeyExists()) << "wizardFinished was not set";
    }
}

TEST_F(Install, ReinstallWithDefaultsBacksUpFilesAndKeepsSettings)
{
    // An earlier installation: every file present with other contents.
    ASSERT_TRUE(CreateDirectoryA("C:\\Vorn", nullptr));
    for (const char* name : kMemberNames)
        ASSERT_TRUE(WriteFileText(std::string("C:\\Vorn\\") + name, std::string("earlier ") + name + "\r\n"));
    ASSERT_TRUE(SetFileAttributesA("C:\\Vorn\\readme.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(StartRecordingProgman() && SetProgmanRegistered(true));
    Start();
    ASSERT_TRUE(run.GoToOptions());
    ASSERT_TRUE(run.InstallToFinish());
    Click(run.wizard, IDCANCEL);
    EXPECT_EQ(run.WaitExit(), 0);

    for (int i = 0; i < 10; ++i) {
        std::string name = kMemberNames[i], installed, payload, backup;
        SCOPED_TRACE(name);
        ReadFileText("C:\\Vorn\\" + name, &installed);
        ReadFileText(inputs.payload + "\\" + name, &payload);
        bool settings = name.find(".ini") != std::string::npos;
        bool backedUp = ReadFileText("C:\\Vorn\\backup\\" + name, &backup);
        if (settings) {
            // Kept in place, not backed up ("vorn.ini" gains the ignore list at the end).
            EXPECT_EQ(installed.rfind("earlier " + name + "\r\n", 0), 0u) << installed;
            EXPECT_FALSE(backedUp);
        } else {
            EXPECT_EQ(installed, payload);
            EXPECT_EQ(backup, "earlier " + name + "\r\n");
        }
    }
    EXPECT_EQ(GetFileAttributesA("C:\\Vorn\\backup\\readme.txt") &
                  (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u) << "attributes cleared before the backup";
    char ignore[256] = "";
    GetPrivateProfileStringA("text", "ignore", "", ignore, sizeof ignore, "C:\\Vorn\\vorn.ini");
    EXPECT_STREQ(ignore, kIgnoreList) << "the kept settings file gains the ignore list";
}

// Waits until the Progress page names a member at or after `member`.
bool WaitForMember(Scenario& run, int member, std::string* status)
{
    if (!run.WaitPage(kProgress))
        return false;
    return WaitUntil([&] {
        *status = ItemText(run.wizard, 170);
        return StatusMember(*status) >= member || ShownPage(run.wizard) != kProgress;
    }, kExtractMs);
}

TEST_F(Install, AbortAnsweredNoResumesAndEveryFileIsIntact)
{
    ASSERT_FALSE(inputs.bigInstaller.empty()) << "needs --big-installer";
    ASSERT_TRUE(StartRecordingProgman() && SetProgmanRegistered(true));
    RunOptions options;
    options.bigPackage = true;
    Start(options);
    ASSERT_TRUE(run.GoToOptions());
    Click(run.wizard, IDOK);
    std::string status;
    ASSERT_TRUE(WaitForMember(run, 1, &status)) << status;  // inside the large help file
    ASSERT_EQ(ShownPage(run.wizard), kProgress) << "the extraction ended before it could be caught";
    // The main bar as drawn on the screen: framed, partly filled, with its percentage.
    BarSeen bar = ReadMainBar(run.wizard);
    EXPECT_TRUE(bar.blackFrame);
    EXPECT_GT(bar.fill, 0);
    EXPECT_LT(bar.fill, bar.width - 2);
    EXPECT_TRUE(bar.redText) << "no percentage";
    Click(run.wizard, IDCANCEL);
    MessageBoxSeen box;
    ASSERT_TRUE(WaitMessageBox(run.process.id, kSettleMs, &box));
    EXPECT_EQ(box.caption, "Vorn Installation Warning");
    EXPECT_EQ(box.text, "Are you sure you want to abort the installation?");
    EXPECT_TRUE(box.yes && box.no && !box.ok && !box.cancel) << "buttons";
    EXPECT_TRUE(box.questionIcon);
    EXPECT_EQ(box.owner, run.wizard);
    // While the question is open the pump stands still.
    std::string before = ItemText(run.wizard, 170);
    std::vector<std::string> filesBefore = FolderEntries("C:\\Vorn");
    Pause(400);
    EXPECT_EQ(ItemText(run.wizard, 170), before);
    EXPECT_EQ(FolderEntries("C:\\Vorn"), filesBefore);
    ASSERT_TRUE(Answer(box, IDNO));
    ASSERT_TRUE(run.WaitPage(kFinish, kExtractMs));
    EXPECT_EQ(CompareWithPayload("C:\\Vorn", inputs.bigPayload), "") << "at the Finish page";
    Click(run.wizard, IDCANCEL);
    EXPECT_EQ(run.WaitExit(), 0);
    EXPECT_EQ(CompareWithPayload("C:\\Vorn", inputs.bigPayload, true), "");
}

TEST_F(Install, AbortAnsweredYesRollsBackAndASecondInstallSucceeds)
{
    ASSERT_FALSE(inputs.bigInstaller.empty()) << "needs --big-installer";
    RunOptions options;
    options.bigPackage = true;
    Start(options);
    ASSERT_TRUE(run.GoToOptions());
    // The user's choices: another folder, settings not kept, no icons.
    const char kFolder[] = "c:\\vorn-abort";
    RemoveTree(kFolder);
    SetItemText(run.wizard, 152, kFolder);
    Click(run.wizard, 157);
    Click(run.wizard, 158);
    ASSERT_TRUE(WaitUntil([&] { return !ItemChecked(run.wizard, 157) && !ItemChecked(run.wizard, 158); }));
    Click(run.wizard, IDOK);
    std::string status;
    ASSERT_TRUE(WaitForMember(run, 1, &status)) << status;  // vorn32.exe written, the help file under way
    ASSERT_EQ(ShownPage(run.wizard), kProgress) << "the extraction ended before it could be caught";
    Click(run.wizard, IDCANCEL);
    MessageBoxSeen box;
    ASSERT_TRUE(WaitMessageBox(run.process.id, kSettleMs, &box));
    ASSERT_EQ(box.caption, "Vorn Installation Warning");
    EXPECT_TRUE(IsFile(std::string(kFolder) + "\\vorn32.exe")) << "nothing was written before the abort";
    ASSERT_TRUE(Answer(box, IDYES));

    ASSERT_TRUE(run.WaitPage(kOptions));
    EXPECT_EQ(ItemText(run.wizard, 152), kFolder);
    EXPECT_TRUE(ItemChecked(run.wizard, 156));
    EXPECT_FALSE(ItemChecked(run.wizard, 157));
    EXPECT_FALSE(ItemChecked(run.wizard, 158));
    EXPECT_FALSE(IsFolder(kFolder)) << "left behind: " << testing::PrintToString(FolderEntries(kFolder));
    EXPECT_EQ(InstallerTemporaryFiles(), std::vector<std::string>{}) << "the run's temporary file";

    // The second Install, watched on the screen: the main bar only grows, and
    // the member bar shows while a member is decoded.
    Click(run.wizard, IDOK);
    ASSERT_TRUE(run.WaitPage(kProgress));
    // Sampled back to back: a member's decode lasts some milliseconds only.
    std::vector<int> mainFills;
    int memberFill = 0;
    bool finished = false;
    for (DWORD start = GetTickCount(); GetTickCount() - start < kExtractMs;) {
        if (ShownPage(run.wizard) != kProgress) {
            // A page change hides the old page before it shows the new one:
            // a sample may fall between the two.
            finished = run.WaitPage(kFinish);
            break;
        }
        mainFills.push_back(ReadMainBar(run.wizard).fill);
        memberFill = std::max(memberFill, ReadMemberBarFill(run.wizard));
    }
    ASSERT_TRUE(finished) << "the second Install did not reach the Finish page (page "
                          << ShownPage(run.wizard) << ")";
    // The last sample may fall into the switch to the Finish page, which clears the bar.
    if (!mainFills.empty())
        mainFills.pop_back();
    EXPECT_TRUE(std::is_sorted(mainFills.begin(), mainFills.end())) << "the main bar went back: "
                                                                    << testing::PrintToString(mainFills);
    EXPECT_GT(mainFills.empty() ? 0 : mainFills.back(), 0);
    EXPECT_GT(memberFill, 0) << "the member bar never showed";
    EXPECT_FALSE(IsFolder(GroupFolder())) << "icons were not asked for";
    Click(run.wizard, IDCANCEL);
    EXPECT_EQ(run.WaitExit(), 0);
    EXPECT_EQ(CompareWithPayload(kFolder, inputs.bigPayload, true), "");
    RemoveTree(kFolder);
}

// A failure box as it must read.
void ExpectBox(const MessageBoxSeen& box, int number)
{
    const ExpectedBox& expected = ExpectedBoxFor(number);
    ASSERT_NE(expected.text, nullptr) << "[" << number << "] has no box";
    EXPECT_EQ(box.caption, expected.caption);
    EXPECT_EQ(box.text, expected.text);
    EXPECT_TRUE(box.ok && !box.yes && !box.no) << "buttons of [" << number << "]";
    EXPECT_TRUE(box.errorIcon) << "icon of [" << number << "]";
}

TEST_F(Install, FolderWhoseParentIsMissingGivesError1)
{
    Start();
    ASSERT_TRUE(run.GoToOptions());
    const char kFolder[] = "c:\\e2e-missing\\sub\\Vorn";
    SetItemText(run.wizard, 152, kFolder);
    MessageBoxSeen box;
    ASSERT_TRUE(run.InstallToBox(&box));
    ExpectBox(box, 1);
    EXPECT_EQ(box.owner, run.wizard);
    ASSERT_TRUE(Answer(box, IDOK));
    EXPECT_TRUE(run.WaitPage(kOptions)) << "back to the Options page";
    EXPECT_EQ(ItemText(run.wizard, 152), kFolder);
    Click(run.wizard, IDCANCEL);
    EXPECT_EQ(run.WaitExit(), 0);
    EXPECT_FALSE(IsFolder("c:\\e2e-missing"));
}

bool IsMarkerByte(char c)
{
    return c == 'A' || c == 'R' || c == 'N' || c == 'I';
}

TEST_F(Install, OneFlippedPackageByteGivesError10)
{
    std::string bytes;
    ASSERT_TRUE(ReadFileText(inputs.installer, &bytes));
    const std::vector<size_t> markers = MarkerOffsets(bytes);
    ASSERT_FALSE(markers.empty()) << "no package in the installer";
    ASSERT_GT(markers[0], 0u) << "the package at the start of the installer";
    // A byte of member 1's bit stream, changed so that no marker is made or broken.
    size_t at = markers[0] + 4 + 4 + 100;
    while (IsMarkerByte(bytes[at]) || IsMarkerByte(static_cast<char>(bytes[at] ^ 0x10)))
        ++at;
    bytes[at] = static_cast<char>(bytes[at] ^ 0x10);
    CreateDirectoryA(kRunFolder, nullptr);
    std::string flipped = std::string(kRunFolder) + "\\vornsetup-flipped.exe";
    ASSERT_TRUE(WriteFileText(flipped, bytes));

    std::string error;
    ASSERT_TRUE(run.LaunchFile(flipped, {}, &error)) << error;
    ASSERT_TRUE(run.GoToOptions());
    MessageBoxSeen box;
    ASSERT_TRUE(run.InstallToBox(&box));
    ExpectBox(box, 10);
    ASSERT_TRUE(Answer(box, IDOK));
    EXPECT_EQ(run.WaitExit(), 0) << "the dialog ends after [10]";
    EXPECT_TRUE(FolderEntries("C:\\Vorn").empty()) << "files were written from a corrupt package";
    EXPECT_FALSE(IsFile(kRecordFile));
    EXPECT_FALSE(UninstallKeyExists());
}

TEST_F(Install, UnreadableInstallerFileGivesError2)
{
    Start();
    ASSERT_TRUE(run.GoToOptions());
    // The running file moves away: the scan can no longer open it by its path.
    std::string moved = run.program + ".moved";
    DeleteFileA(moved.c_str());
    ASSERT_TRUE(MoveFileA(run.program.c_str(), moved.c_str())) << "error " << GetLastError();
    MessageBoxSeen box;
    ASSERT_TRUE(run.InstallToBox(&box));
    ExpectBox(box, 2);
    ASSERT_TRUE(Answer(box, IDOK));
    EXPECT_EQ(run.WaitExit(), 0);
    EXPECT_TRUE(FolderEntries("C:\\Vorn").empty());
    DeleteFileA(moved.c_str());
}

TEST_F(Install, ProgramManagerFailureAsksAndRetries)
{
    const ExpectedBox& question = ExpectedBoxFor(15);
    struct Case {
        const char* name;
        int rejections;  // CreateGroup commands the Program Manager turns down
        std::vector<int> answers;
    } cases[] = {
        {"Yes retries and succeeds", 1, {IDYES}},
        {"Yes retries, No gives up", 100, {IDYES, IDNO}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearInstallation();
        ASSERT_TRUE(StartRecordingProgman() && SetProgmanRegistered(true));
        RejectCommandsStartingWith("[CreateGroup(", c.rejections);
        Scenario one;
        std::string error;
        ASSERT_TRUE(one.Launch({}, &error)) << error;
        ASSERT_TRUE(one.GoToOptions());
        Click(one.wizard, IDOK);
        for (size_t i = 0; i < c.answers.size(); ++i) {
            MessageBoxSeen box;
            ASSERT_TRUE(WaitMessageBox(one.process.id, kExtractMs, &box)) << "question " << i + 1;
            EXPECT_EQ(box.caption, question.caption);
            EXPECT_EQ(box.text, question.text);
            EXPECT_TRUE(box.yes && box.no && !box.ok) << "buttons";
            EXPECT_TRUE(box.questionIcon);
            char ownerClass[64] = "";
            GetClassNameA(box.owner, ownerClass, sizeof ownerClass);
            EXPECT_STREQ(ownerClass, "Vorn v5.82 32bit Installation") << "owned by the main window, not the wizard";
            EXPECT_EQ(CountCommands("[CreateGroup("), static_cast<int>(i + 1));
            ASSERT_TRUE(Answer(box, c.answers[i]));
        }
        ASSERT_TRUE(one.WaitPage(kFinish));
        EXPECT_EQ(CountCommands("[CreateGroup("), static_cast<int>(c.answers.size() + (c.rejections == 1)));
        if (c.rejections == 1) {
            EXPECT_EQ(CountCommands("[AddItem("), 5) << "the retry sends the whole sequence";
        }
        Click(one.wizard, IDCANCEL);
        EXPECT_EQ(one.WaitExit(), 0);
        StopRecordingProgman();
        EXPECT_EQ(CompareWithPayload("C:\\Vorn", inputs.payload, true), "") << "the files stay";
    }
}

TEST_F(Install, DestinationThatCannotBeWrittenGivesError4AndRollsBack)
{
    // "readme.txt" is taken by a folder; without backups the fourth member's
    // file cannot be opened for writing.
    ASSERT_TRUE(CreateDirectoryA("C:\\Vorn", nullptr));
    ASSERT_TRUE(CreateDirectoryA("C:\\Vorn\\readme.txt", nullptr));
    Start();
    ASSERT_TRUE(run.GoToOptions());
    Click(run.wizard, 156);
    ASSERT_TRUE(WaitUntil([&] { return !ItemChecked(run.wizard, 156); }));
    MessageBoxSeen box;
    ASSERT_TRUE(run.InstallToBox(&box));
    ExpectBox(box, 4);
    EXPECT_EQ(box.owner, run.wizard);
    // The rollback ran before the box: members 0 to 2 are gone again.
    EXPECT_EQ(FolderEntries("C:\\Vorn"), std::vector<std::string>{"readme.txt"});
    ASSERT_TRUE(Answer(box, IDOK));
    EXPECT_EQ(run.WaitExit(), 0);
    EXPECT_TRUE(IsFolder("C:\\Vorn")) << "a folder this run did not create stays";
    EXPECT_FALSE(IsFolder(GroupFolder()));
    EXPECT_EQ(InstallerTemporaryFiles(), std::vector<std::string>{}) << "the run's temporary file";
}

TEST_F(Install, BackupFailuresGiveError7AndReturnToOptions)
{
    // Either way the existing client cannot be moved into the backup folder.
    struct Case {
        const char* name;
        bool backupIsFile;  // a plain file where the backup folder would go
    } cases[] = {
        {"file named backup", true},
        {"backup name taken by a folder", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearInstallation();
        // An earlier installation's client.
        ASSERT_TRUE(CreateDirectoryA("C:\\Vorn", nullptr));
        const std::string old = "an earlier vorn32.exe";
        ASSERT_TRUE(WriteFileText("C:\\Vorn\\vorn32.exe", old));
        if (c.backupIsFile) {
            ASSERT_TRUE(WriteFileText("C:\\Vorn\\backup", "not a folder"));
        } else {
            ASSERT_TRUE(CreateDirectoryA("C:\\Vorn\\backup", nullptr));
            ASSERT_TRUE(CreateDirectoryA("C:\\Vorn\\backup\\vorn32.exe", nullptr));
        }
        Scenario one;
        std::string error;
        ASSERT_TRUE(one.Launch({}, &error)) << error;
        ASSERT_TRUE(one.GoToOptions());
        MessageBoxSeen box;
        ASSERT_TRUE(one.InstallToBox(&box));
        ExpectBox(box, 7);
        ASSERT_TRUE(Answer(box, IDOK));
        EXPECT_TRUE(one.WaitPage(kOptions)) << "back to the Options page";
        std::string kept;
        EXPECT_TRUE(ReadFileText("C:\\Vorn\\vorn32.exe", &kept));
        EXPECT_EQ(kept, old) << "the file whose backup failed stays in place";
        EXPECT_EQ(FolderEntries("C:\\Vorn"), (std::vector<std::string>{"backup", "vorn32.exe"}));
        Click(one.wizard, IDCANCEL);
        EXPECT_EQ(one.WaitExit(), 0);
    }
}

// The common dialogs and the shell library are loaded when first needed, not
// imported: an installer that cannot have them still starts and installs;
// Browse then fails as a failed dialog would (control 152 keeps its text),
// and the launch does nothing.
TEST_F(Install, WithoutTheCommonDialogsAndTheShellLibraryOnlyBrowseAndTheLaunchFail)
{
    constexpr DWORD kAbsentMs = 3000;  // how long a window or file that must not come is awaited
    RunOptions options;
    options.exeName = "vornsetup-nolibs.exe";
    for (const char* library : {"comdlg32", "shell32"})
        SetDllOverride(options.exeName, library, "d");  // disabled
    Start(options);
    ASSERT_TRUE(run.GoToOptions());
    Click(run.wizard, 153);
    EXPECT_FALSE(FindDialog(run.process.id, "Vorn Select Folder", kAbsentMs)) << "a picker without the common dialogs";
    EXPECT_EQ(ItemText(run.wizard, 152), kDefaultFolder);
    ASSERT_TRUE(run.InstallToFinish()) << "page " << ShownPage(run.wizard);
    Tick(true, true);
    Click(run.wizard, IDCANCEL);
    EXPECT_EQ(run.WaitExit(), 0);
    for (const char* library : {"comdlg32", "shell32"})
        SetDllOverride(options.exeName, library, "");
    EXPECT_EQ(CompareWithPayload("C:\\Vorn", inputs.payload, true), "");
    EXPECT_TRUE(WaitUntil([] { return HelpRequests().size() == 1; })) << "the help request";
    // The launch comes before the help request: a client started would have
    // written its record by now, or soon after.
    EXPECT_FALSE(WaitUntil([] { return IsFile(kRecordFile); }, kAbsentMs))
        << "the client was started without the shell library";
}

TEST_F(Install, PlantedCtl3dLibraryIsNeverLoaded)
{
    ASSERT_FALSE(inputs.ctl3dProbe.empty() || inputs.ctl3dLoader.empty()) << "needs --ctl3d-probe and --ctl3d-loader";
    const std::string dir = std::string(kRunFolder) + "\\planted";
    const std::string cwd = std::string(kRunFolder) + "\\planted-cwd";
    const std::string record = std::string(kRunFolder) + "\\ctl3d-record.txt";
    CreateDirectoryA(kRunFolder, nullptr);
    CreateDirectoryA(dir.c_str(), nullptr);
    CreateDirectoryA(cwd.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(inputs.ctl3dProbe.c_str(), (dir + "\\Ctl3d32.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(inputs.ctl3dProbe.c_str(), (cwd + "\\Ctl3d32.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(inputs.installer.c_str(), (dir + "\\vornsetup-ctl3d.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(inputs.ctl3dLoader.c_str(), (dir + "\\ctl3d_loader.exe").c_str(), FALSE));
    // Native first, as Windows would search: Wine otherwise prefers its own.
    SetDllOverride("ctl3d_loader.exe", "ctl3d32", "native,builtin");
    SetDllOverride("vornsetup-ctl3d.exe", "ctl3d32", "native,builtin");

    // The control case: a bare-name load from there finds the stand-in.
    DeleteFileA(record.c_str());
    Launch loader;
    loader.program = dir + "\\ctl3d_loader.exe";
    loader.workDir = cwd;
    loader.env = {{"VORN_LIBRARY_RECORD", record}};
    Process p;
    std::string error;
    ASSERT_TRUE(vorn::test::Start(loader, &p, &error)) << error;
    DWORD code = 1;
    ASSERT_TRUE(vorn::test::WaitExit(&p, 15000, &code));
    EXPECT_EQ(code, 0u) << "the loader found no Ctl3d32.dll";
    ASSERT_TRUE(IsFile(record)) << "the stand-in cannot record a load; the check below would prove nothing";

    // The installer on the old shell, with the same library beside it and in its working folder.
    DeleteFileA(record.c_str());
    RunOptions options;
    options.workDir = cwd;
    options.env = {{"VORN_LIBRARY_RECORD", record}};
    ASSERT_TRUE(run.LaunchFile(dir + "\\vornsetup-ctl3d.exe", options, &error)) << error;
    ASSERT_TRUE(run.GoToOptions());
    Click(run.wizard, IDCANCEL);
    EXPECT_EQ(run.WaitExit(), 0);
    EXPECT_FALSE(IsFile(record)) << ReadFileText(record);
    SetDllOverride("ctl3d_loader.exe", "ctl3d32", "");
    SetDllOverride("vornsetup-ctl3d.exe", "ctl3d32", "");
}

}  // namespace
}  // namespace vorn::e2e
