// The recording Program Manager: a DDEML server thread with its own message
// loop; the tests talk to it through a lock-protected log and thread messages.
#include "tests/support/recording_progman.h"

#include "tests/support/wait.h"

namespace vorn::test {
namespace {

constexpr UINT kRegisterMessage = WM_APP + 1;  // wParam: 1 register, 0 unregister

struct ServerState {
    CRITICAL_SECTION lock;
    std::vector<ProgmanEvent> log;
    std::string rejectPrefix;
    int rejectTimes = -1;  // rejections left; negative: no limit
    DWORD instance = 0;
    HSZ progman = nullptr;
    HANDLE thread = nullptr;
    DWORD threadId = 0;
    HANDLE answered = nullptr;  // set by the server thread after each request
    bool registered = false;
    bool started = false;
};

ServerState server;

// The lock lives as long as the program: made once, before the first server.
void MakeLock()
{
    static bool made = false;
    if (!made) {
        InitializeCriticalSection(&server.lock);
        server.answered = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        made = true;
    }
}

void Append(const ProgmanEvent& event)
{
    EnterCriticalSection(&server.lock);
    server.log.push_back(event);
    LeaveCriticalSection(&server.lock);
}

HDDEDATA OnExecute(HCONV conversation, HDDEDATA data)
{
    const DWORD length = DdeGetData(data, nullptr, 0, 0);
    std::string bytes(length, '\0');
    DdeGetData(data, reinterpret_cast<LPBYTE>(&bytes[0]), length, 0);
    std::string command(bytes.c_str());  // up to the first NUL
    EnterCriticalSection(&server.lock);
    const bool matches = !server.rejectPrefix.empty() &&
                         command.compare(0, server.rejectPrefix.size(), server.rejectPrefix) == 0;
    const bool accepted = !matches || server.rejectTimes == 0;
    if (!accepted && server.rejectTimes > 0)
        --server.rejectTimes;
    server.log.push_back({ProgmanEvent::Execute, conversation, command, length, accepted});
    LeaveCriticalSection(&server.lock);
    return reinterpret_cast<HDDEDATA>(accepted ? DDE_FACK : DDE_FNOTPROCESSED);
}

HDDEDATA CALLBACK ServerCallback(UINT type, UINT, HCONV conversation, HSZ topic, HSZ, HDDEDATA data, ULONG_PTR,
                                 ULONG_PTR)
{
    switch (type) {
    case XTYP_CONNECT:
        return reinterpret_cast<HDDEDATA>(
            static_cast<ULONG_PTR>(DdeCmpStringHandles(topic, server.progman) == 0));
    case XTYP_CONNECT_CONFIRM:
        Append({ProgmanEvent::Connect, conversation, {}, 0, false});
        return nullptr;
    case XTYP_EXECUTE:
        return OnExecute(conversation, data);
    case XTYP_DISCONNECT:
        Append({ProgmanEvent::Disconnect, conversation, {}, 0, false});
        return nullptr;
    default:
        return nullptr;
    }
}

DWORD WINAPI ServerThread(void* desktop)
{
    SetThreadDesktop(static_cast<HDESK>(desktop));
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // make the thread's queue
    const UINT flags = APPCLASS_STANDARD | CBF_FAIL_ADVISES | CBF_FAIL_POKES | CBF_FAIL_REQUESTS |
                       CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS;
    if (DdeInitializeA(&server.instance, ServerCallback, flags, 0) == DMLERR_NO_ERROR)
        server.progman = DdeCreateStringHandleA(server.instance, "PROGMAN", CP_WINANSI);
    SetEvent(server.answered);
    if (!server.progman)
        return 1;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == nullptr && message.message == kRegisterMessage) {
            const bool wanted = message.wParam != 0;
            if (wanted != server.registered &&
                DdeNameService(server.instance, server.progman, nullptr, wanted ? DNS_REGISTER : DNS_UNREGISTER))
                server.registered = wanted;
            SetEvent(server.answered);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (server.registered)
        DdeNameService(server.instance, server.progman, nullptr, DNS_UNREGISTER);
    DdeFreeStringHandle(server.instance, server.progman);
    DdeUninitialize(server.instance);
    return 0;
}

size_t OpenConversations()
{
    size_t open = 0;
    for (const ProgmanEvent& event : server.log) {
        if (event.kind == ProgmanEvent::Connect)
            ++open;
        else if (event.kind == ProgmanEvent::Disconnect && open > 0)
            --open;
    }
    return open;
}

}  // namespace

bool StartRecordingProgman()
{
    MakeLock();
    StopRecordingProgman();
    ClearProgmanLog();
    RejectCommandsStartingWith("");
    server.instance = 0;
    server.progman = nullptr;
    server.registered = false;
    server.thread = CreateThread(nullptr, 0, ServerThread, GetThreadDesktop(GetCurrentThreadId()), 0,
                                 &server.threadId);
    if (!server.thread || WaitForSingleObject(server.answered, kSettleMs) != WAIT_OBJECT_0)
        return false;
    server.started = server.progman != nullptr;
    return server.started;
}

void StopRecordingProgman()
{
    if (!server.thread)
        return;
    PostThreadMessageA(server.threadId, WM_QUIT, 0, 0);
    WaitForSingleObject(server.thread, kSettleMs);
    CloseHandle(server.thread);
    server.thread = nullptr;
    server.started = false;
}

bool SetProgmanRegistered(bool registered)
{
    if (!server.started || !PostThreadMessageA(server.threadId, kRegisterMessage, registered ? 1 : 0, 0))
        return false;
    return WaitForSingleObject(server.answered, kSettleMs) == WAIT_OBJECT_0 && server.registered == registered;
}

void RejectCommandsStartingWith(const std::string& prefix, int times)
{
    MakeLock();
    EnterCriticalSection(&server.lock);
    server.rejectPrefix = prefix;
    server.rejectTimes = times;
    LeaveCriticalSection(&server.lock);
}

void ClearProgmanLog()
{
    MakeLock();
    EnterCriticalSection(&server.lock);
    server.log.clear();
    LeaveCriticalSection(&server.lock);
}

std::vector<ProgmanEvent> ProgmanLog()
{
    WaitUntil([] {
        EnterCriticalSection(&server.lock);
        const size_t open = OpenConversations();
        LeaveCriticalSection(&server.lock);
        return open == 0;
    });
    EnterCriticalSection(&server.lock);
    std::vector<ProgmanEvent> copy = server.log;
    LeaveCriticalSection(&server.lock);
    return copy;
}

std::vector<std::string> ExecutedCommands(const std::vector<ProgmanEvent>& log)
{
    std::vector<std::string> commands;
    for (const ProgmanEvent& event : log)
        if (event.kind == ProgmanEvent::Execute)
            commands.push_back(event.command);
    return commands;
}

int CountCommands(const std::string& prefix)
{
    int n = 0;
    for (const std::string& command : ExecutedCommands(ProgmanLog()))
        n += command.compare(0, prefix.size(), prefix) == 0;
    return n;
}

}  // namespace vorn::test
