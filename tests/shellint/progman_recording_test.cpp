// The Program Manager group against a recording DDE server: the commands,
// their order, one conversation each, and the stop and ignore rules. The
// tests run on a desktop of their own whose shell process is ended first, so
// that the recording server is the only one that can answer "PROGMAN".
#include <gtest/gtest.h>

#include <windows.h>
#include <ddeml.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/install_state.h"
#include "common/process_handles.h"
#include "shellint/program_group.h"
#include "tests/support/progman_group.h"
#include "tests/support/recording_progman.h"
#include "tests/support/skip_report.h"

namespace vorn::test {
namespace {

// Every command came on a conversation of its own: connect, execute, disconnect.
void ExpectOneConversationPerCommand(const std::vector<ProgmanEvent>& log, size_t commands)
{
    ASSERT_EQ(log.size(), 3 * commands) << "events logged";
    for (size_t i = 0; i < commands; ++i) {
        const ProgmanEvent& open = log[3 * i];
        const ProgmanEvent& execute = log[3 * i + 1];
        const ProgmanEvent& close = log[3 * i + 2];
        EXPECT_EQ(open.kind, ProgmanEvent::Connect) << "command " << i + 1;
        EXPECT_EQ(execute.kind, ProgmanEvent::Execute) << "command " << i + 1;
        EXPECT_EQ(close.kind, ProgmanEvent::Disconnect) << "command " << i + 1;
        EXPECT_EQ(execute.conversation, open.conversation) << "command " << i + 1;
        EXPECT_EQ(close.conversation, open.conversation) << "command " << i + 1;
        EXPECT_EQ(execute.dataLength, execute.command.size() + 1) << "command " << i + 1 << " sent with its NUL";
    }
}

class RecordingProgmanTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SetProgmanRegistered(true));
        RejectCommandsStartingWith("");
        ClearProgmanLog();
        ASSERT_EQ(DdeInitializeA(&ddeInstance, DdeCallback, 0, 0), static_cast<UINT>(DMLERR_NO_ERROR));
        installSettings = {};
        lstrcpyA(installSettings.folder, "C:\\Program Files\\Vorn");
        installSettings.newShell = 1;
    }
    void TearDown() override
    {
        if (ddeInstance)
            DdeUninitialize(ddeInstance);
        ddeInstance = 0;
    }
};

// Sends the whole sequence with installSettings.folder holding folder and
// expects all twelve commands, in order, each on its own conversation.
// Returns the commands as the server received them.
std::vector<std::string> ExpectWholeSequence(const std::string& folder, int newShell)
{
    ClearProgmanLog();
    installSettings.newShell = newShell;
    EXPECT_EQ(CreateProgramGroup(), 1);
    const auto log = ProgmanLog();
    const auto commands = ExecutedCommands(log);
    EXPECT_EQ(commands, ExpectedGroupCommands(folder, newShell != 0));
    ExpectOneConversationPerCommand(log, 12);
    return commands;
}

TEST_F(RecordingProgmanTest, TwelveConversationsInTheTableOrderForBothShells)
{
    for (int newShell : {1, 0}) {
        SCOPED_TRACE(newShell ? "new shell" : "old shell");
        ExpectWholeSequence("C:\\Program Files\\Vorn", newShell);
    }
}

TEST_F(RecordingProgmanTest, LongestFolderGivesCommandsUpTo658CharactersNoneCut)
{
    std::string folder = "C:\\Program Files";
    while (folder.size() < 294)
        folder += "\\Vorn";
    folder.resize(kFolderSize - 1, 'x');
    ASSERT_EQ(folder.size(), 299u);
    lstrcpyA(installSettings.folder, folder.c_str());
    for (int newShell : {1, 0}) {
        SCOPED_TRACE(newShell ? "new shell" : "old shell");
        const auto commands = ExpectWholeSequence(folder, newShell);
        size_t longest = 0;
        for (const std::string& command : commands)
            longest = std::max(longest, command.size());
        EXPECT_EQ(longest, newShell ? 646u : 658u);  // the versions.txt item
    }
}

struct RejectionCase {
    const char* name;
    const char* rejected;  // commands beginning with this are not processed
    int result;
    size_t commandsSent;
    size_t commandsRejected;  // so that an ignored failure is known to have happened
};

constexpr RejectionCase kRejectionCases[] = {
    {"ShowGroup rejected: ignored", R"([ShowGroup()", 1, 12, 1},
    {"first ReplaceItem rejected: ignored", R"([ReplaceItem("Vorn32"))", 1, 12, 1},
    {"every ReplaceItem rejected (first install): ignored", R"([ReplaceItem()", 1, 12, 5},
    {"CreateGroup rejected: stop at step 1", R"([CreateGroup()", 0, 1, 1},
    {"program item rejected: stop at step 4", R"([AddItem("C:\Program Files\Vorn\Vorn32.exe")", 0, 4, 1},
    {"help item rejected: stop at step 6", R"([AddItem("C:\Program Files\Vorn\Vorn.hlp")", 0, 6, 1},
    {"introduction item rejected: stop at step 8", R"([AddItem("C:\Program Files\Vorn\IRCintro.hlp")", 0, 8, 1},
    {"readme item rejected: stop at step 10", R"([AddItem("C:\Program Files\Vorn\readme.txt")", 0, 10, 1},
    {"versions item rejected: stop at step 12", R"([AddItem("C:\Program Files\Vorn\versions.txt")", 0, 12, 1},
};

TEST_F(RecordingProgmanTest, RejectedCommandsStopOrAreIgnoredByStep)
{
    const auto expected = ExpectedGroupCommands(installSettings.folder, true);
    for (const RejectionCase& c : kRejectionCases) {
        SCOPED_TRACE(c.name);
        ClearProgmanLog();
        RejectCommandsStartingWith(c.rejected);
        EXPECT_EQ(CreateProgramGroup(), c.result);
        const auto log = ProgmanLog();
        EXPECT_EQ(ExecutedCommands(log),
                  std::vector<std::string>(expected.begin(), expected.begin() + c.commandsSent));
        ExpectOneConversationPerCommand(log, c.commandsSent);
        const auto rejected = std::count_if(log.begin(), log.end(), [](const ProgmanEvent& event) {
            return event.kind == ProgmanEvent::Execute && !event.accepted;
        });
        EXPECT_EQ(static_cast<size_t>(rejected), c.commandsRejected);
    }
}

TEST_F(RecordingProgmanTest, RetryAfterAFailedStepSendsTheWholeSequenceAgain)
{
    RejectCommandsStartingWith(R"([AddItem("C:\Program Files\Vorn\IRCintro.hlp")");
    EXPECT_EQ(CreateProgramGroup(), 0);
    RejectCommandsStartingWith("");
    EXPECT_EQ(CreateProgramGroup(), 1);
    auto expected = ExpectedGroupCommands(installSettings.folder, true);
    std::vector<std::string> both(expected.begin(), expected.begin() + 8);
    both.insert(both.end(), expected.begin(), expected.end());
    const auto log = ProgmanLog();
    EXPECT_EQ(ExecutedCommands(log), both);
    ExpectOneConversationPerCommand(log, 20);
}

TEST_F(RecordingProgmanTest, NoAnsweringServerFailsWithoutSendingAnything)
{
    ASSERT_TRUE(SetProgmanRegistered(false));
    EXPECT_EQ(CreateProgramGroup(), 0);
    EXPECT_EQ(ProgmanExecute(R"([CreateGroup("Vorn")])"), 0);
    EXPECT_TRUE(ProgmanLog().empty());
    EXPECT_TRUE(SetProgmanRegistered(true));
}

TEST_F(RecordingProgmanTest, NoDdeInstanceFailsAtTheFirstStep)
{
    DdeUninitialize(ddeInstance);
    ddeInstance = 0;
    EXPECT_EQ(CreateProgramGroup(), 0);
    EXPECT_EQ(ProgmanExecute(R"([CreateGroup("Vorn")])"), 0);
    EXPECT_TRUE(ProgmanLog().empty());
}

TEST_F(RecordingProgmanTest, ExecuteReportsWhatTheServerAnswered)
{
    RejectCommandsStartingWith("[Reject");
    EXPECT_EQ(ProgmanExecute("[Accept()]"), 1);
    EXPECT_EQ(ProgmanExecute("[Reject()]"), 0);
    const auto log = ProgmanLog();
    ExpectOneConversationPerCommand(log, 2);
    EXPECT_EQ(ExecutedCommands(log), (std::vector<std::string>{"[Accept()]", "[Reject()]"}));
}

TEST(DdeCallbackTest, AnswersNoDataForEveryTransaction)
{
    constexpr UINT kTypes[] = {XTYP_ADVDATA, XTYP_ADVREQ,     XTYP_ADVSTART,       XTYP_ADVSTOP,
                               XTYP_CONNECT, XTYP_CONNECT_CONFIRM, XTYP_DISCONNECT, XTYP_ERROR,
                               XTYP_EXECUTE, XTYP_MONITOR,    XTYP_POKE,           XTYP_REGISTER,
                               XTYP_REQUEST, XTYP_UNREGISTER, XTYP_WILDCONNECT,    XTYP_XACT_COMPLETE, 0};
    for (UINT type : kTypes) {
        EXPECT_EQ(DdeCallback(type, 0, nullptr, nullptr, nullptr, nullptr, 0, 0), nullptr) << "type " << type;
        EXPECT_EQ(DdeCallback(type, CF_TEXT, reinterpret_cast<HCONV>(1), reinterpret_cast<HSZ>(2),
                              reinterpret_cast<HSZ>(3), reinterpret_cast<HDDEDATA>(4), 5, 6),
                  nullptr)
            << "type " << type << " with arguments";
    }
}

// Moves this thread to a desktop of its own, starts the recording server
// there and ends the desktop's shell process, which would answer "PROGMAN"
// too. Returns an empty text on success, else what went wrong.
std::string PrepareDesktop()
{
    HDESK desktop = CreateDesktopA("VornProgmanTest", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    if (!desktop || !SetThreadDesktop(desktop))
        return "cannot move to a desktop of its own";
    DWORD shellProcessId = 0;
    GetWindowThreadProcessId(GetDesktopWindow(), &shellProcessId);  // starts the desktop's shell
    if (!StartRecordingProgman())
        return "the recording server did not start";
    if (shellProcessId && shellProcessId != GetCurrentProcessId()) {
        HANDLE shell = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, shellProcessId);
        if (!shell)
            return "cannot open the desktop's shell process";
        TerminateProcess(shell, 0);
        WaitForSingleObject(shell, 10000);
        CloseHandle(shell);
    }
    // Nobody else may answer now.
    DWORD instance = 0;
    DdeInitializeA(&instance, DdeCallback, APPCMD_CLIENTONLY, 0);
    HSZ name = DdeCreateStringHandleA(instance, "PROGMAN", CP_WINANSI);
    HCONV other = DdeConnect(instance, name, name, nullptr);
    if (other)
        DdeDisconnect(other);
    DdeFreeStringHandle(instance, name);
    DdeUninitialize(instance);
    return other ? "another server answers PROGMAN on the test desktop" : "";
}

}  // namespace
}  // namespace vorn::test

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    vorn::test::InstallSkipReport();
    const std::string problem = vorn::test::PrepareDesktop();
    if (!problem.empty()) {
        fprintf(stderr, "progman_recording_tests: %s\n", problem.c_str());
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    vorn::test::StopRecordingProgman();
    return result;
}
