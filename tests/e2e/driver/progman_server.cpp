// The Program Manager stand-in: a DDEML server that records execute commands.
#include "tests/e2e/driver/progman_server.h"

#include <windows.h>
#include <ddeml.h>

namespace vorn::e2e {
namespace {

DWORD instance = 0;
HSZ serviceName = nullptr;
ProgmanServer* active = nullptr;

HDDEDATA CALLBACK ServerCallback(UINT type, UINT, HCONV, HSZ topic, HSZ, HDDEDATA data, ULONG_PTR, ULONG_PTR)
{
    switch (type) {
    case XTYP_CONNECT:
        return reinterpret_cast<HDDEDATA>(static_cast<ULONG_PTR>(DdeCmpStringHandles(topic, serviceName) == 0));
    case XTYP_EXECUTE: {
        DWORD size = 0;
        BYTE* bytes = DdeAccessData(data, &size);
        std::string command(reinterpret_cast<char*>(bytes), size);
        DdeUnaccessData(data);
        command = command.c_str();  // the client sends its terminating NUL
        active->commands.push_back(command);
        const bool reject = command.rfind("[CreateGroup(", 0) == 0 && active->rejectCreateGroups > 0;
        if (reject)
            --active->rejectCreateGroups;
        return reinterpret_cast<HDDEDATA>(static_cast<ULONG_PTR>(reject ? DDE_FNOTPROCESSED : DDE_FACK));
    }
    default:
        return nullptr;
    }
}

}  // namespace

bool StartProgmanServer(ProgmanServer* server)
{
    active = server;
    if (DdeInitializeA(&instance, ServerCallback, APPCLASS_STANDARD | CBF_SKIP_REGISTRATIONS |
                                                      CBF_SKIP_UNREGISTRATIONS, 0) != DMLERR_NO_ERROR)
        return false;
    serviceName = DdeCreateStringHandleA(instance, "PROGMAN", CP_WINANSI);
    return serviceName && DdeNameService(instance, serviceName, nullptr, DNS_REGISTER);
}

void StopProgmanServer()
{
    if (!instance)
        return;
    DdeNameService(instance, serviceName, nullptr, DNS_UNREGISTER);
    DdeFreeStringHandle(instance, serviceName);
    DdeUninitialize(instance);
    instance = 0;
    active = nullptr;
}

int CountCommands(const ProgmanServer& server, const std::string& prefix)
{
    int n = 0;
    for (const std::string& c : server.commands)
        n += c.rfind(prefix, 0) == 0;
    return n;
}

}  // namespace vorn::e2e
