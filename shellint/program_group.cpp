// Program Manager group through DDE: one conversation per command, the fixed
// command sequence with its stop and ignore rules.
#include "shellint/program_group.h"

#include <array>

#include "common/install_state.h"
#include "common/process_handles.h"

namespace vorn {
namespace {

constexpr DWORD kExecuteTimeout = 5000;  // ms to wait for Program Manager's answer
constexpr int kFolderLength = kFolderSize - 1;

// What a failed command does to the sequence.
enum class OnFailure { Stop, Ignore };

// Which folder arguments a command takes: none, or the folder twice (the
// item's file and its working directory).
enum class Arguments { None, FolderTwice };

struct GroupCommand {
    const char* format;
    Arguments arguments;
    OnFailure onFailure;
};

// Both forms of the sequence; only the two text-file items differ. Each
// AddItem is preceded by a ReplaceItem of its name so that a second run
// replaces the items instead of doubling them.
constexpr std::array<GroupCommand, 12> MakeSequence(const char* readmeItem, const char* versionsItem)
{
    return {{
        {"[CreateGroup(\"Vorn\")]", Arguments::None, OnFailure::Stop},
        {"[ShowGroup(\"Vorn\",1)]", Arguments::None, OnFailure::Ignore},
        {"[ReplaceItem(\"Vorn32\")]", Arguments::None, OnFailure::Ignore},
        {"[AddItem(\"%s\\Vorn32.exe\",\"Vorn32\",,0,,,\"%s\")]", Arguments::FolderTwice, OnFailure::Stop},
        {"[ReplaceItem(\"Vorn Help\")]", Arguments::None, OnFailure::Ignore},
        {"[AddItem(\"%s\\Vorn.hlp\",\"Vorn Help\",,0,,,\"%s\")]", Arguments::FolderTwice, OnFailure::Stop},
        {"[ReplaceItem(\"IRC Intro\")]", Arguments::None, OnFailure::Ignore},
        {"[AddItem(\"%s\\IRCintro.hlp\",\"IRC Intro\",,0,,,\"%s\")]", Arguments::FolderTwice, OnFailure::Stop},
        {"[ReplaceItem(\"Readme.txt\")]", Arguments::None, OnFailure::Ignore},
        {readmeItem, Arguments::FolderTwice, OnFailure::Stop},
        {"[ReplaceItem(\"Versions.txt\")]", Arguments::None, OnFailure::Ignore},
        {versionsItem, Arguments::FolderTwice, OnFailure::Stop},
    }};
}

// The new shell opens text files by their type; the old one names Write.
constexpr auto kNewShellSequence =
    MakeSequence("[AddItem(\"%s\\readme.txt\",\"Readme.txt\",,,,,\"%s\")]",
                 "[AddItem(\"%s\\versions.txt\",\"Versions.txt\",,,,,\"%s\")]");
constexpr auto kOldShellSequence =
    MakeSequence("[AddItem(\"%s\\readme.txt\",\"Readme.txt\",\"write.exe\",0,,,\"%s\")]",
                 "[AddItem(\"%s\\versions.txt\",\"Versions.txt\",\"write.exe\",0,,,\"%s\")]");

// Every command, with the longest folder in each of its two placeholders,
// must fit the buffer with its terminator (the longest takes 658 characters).
constexpr int FormattedLength(const GroupCommand& step)
{
    int length = 0;
    for (const char* c = step.format; *c; ++c)
        ++length;
    return step.arguments == Arguments::FolderTwice ? length - 4 + 2 * kFolderLength : length;
}

constexpr bool FitsBuffer(const std::array<GroupCommand, 12>& sequence)
{
    for (const GroupCommand& step : sequence)
        if (FormattedLength(step) + 1 > kCommandSize)
            return false;
    return true;
}

static_assert(FormattedLength(kOldShellSequence[11]) == 658, "longest command");
static_assert(FitsBuffer(kNewShellSequence) && FitsBuffer(kOldShellSequence), "command buffer too small");

}  // namespace

int ProgmanExecute(const char* command)
{
    int result = 0;
    HSZ service = DdeCreateStringHandleA(ddeInstance, "PROGMAN", CP_WINANSI);
    if (!service)
        return 0;
    HSZ topic = DdeCreateStringHandleA(ddeInstance, "PROGMAN", CP_WINANSI);
    if (!topic) {
        DdeFreeStringHandle(ddeInstance, service);
        return 0;
    }
    HCONV conversation = DdeConnect(ddeInstance, service, topic, nullptr);
    if (conversation) {
        DWORD status = 0;  // the transaction's status word; the return value says enough
        const DWORD length = static_cast<DWORD>(lstrlenA(command)) + 1;  // the NUL is sent too
        HDDEDATA sent = DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char*>(command)), length,
                                             conversation, nullptr, CF_TEXT, XTYP_EXECUTE, kExecuteTimeout,
                                             &status);
        if (sent)
            result = 1;
        DdeDisconnect(conversation);
    }
    DdeFreeStringHandle(ddeInstance, topic);
    DdeFreeStringHandle(ddeInstance, service);
    return result;
}

int CreateProgramGroup()
{
    const auto& sequence = installSettings.newShell ? kNewShellSequence : kOldShellSequence;
    // The folder buffer holds at most 299 characters; bounding the copy keeps
    // the command inside its buffer even if the record lost its terminator.
    char folder[kFolderSize];
    lstrcpynA(folder, installSettings.folder, kFolderSize);
    char command[kCommandSize];
    for (const GroupCommand& step : sequence) {
        if (step.arguments == Arguments::FolderTwice)
            wsprintfA(command, step.format, folder, folder);
        else
            wsprintfA(command, step.format);
        if (!ProgmanExecute(command) && step.onFailure == OnFailure::Stop)
            return 0;
    }
    return 1;
}

}  // namespace vorn

extern "C" HDDEDATA CALLBACK DdeCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    return nullptr;
}
