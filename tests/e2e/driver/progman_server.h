// A Program Manager stand-in for the tests: a DDE server on service and topic
// "PROGMAN" in the driver's own process that records every execute command and
// rejects the ones the test asks it to. It is served while the driver pumps
// messages (every wait of the window driver does).
#pragma once
#include <string>
#include <vector>

namespace vorn::e2e {

struct ProgmanServer {
    std::vector<std::string> commands;  // every execute command received, in order
    int rejectCreateGroups = 0;         // this many CreateGroup commands are rejected
};

// Registers the service; false when DDE could not be set up. One server at a time.
bool StartProgmanServer(ProgmanServer* server);
void StopProgmanServer();

// How many received commands begin with this text.
int CountCommands(const ProgmanServer& server, const std::string& prefix);

}  // namespace vorn::e2e
