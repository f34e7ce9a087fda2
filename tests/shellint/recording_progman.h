// A Program Manager stand-in for the tests: a DDEML server for service and
// topic "PROGMAN" on its own thread that logs every conversation and command
// and rejects the commands it is told to.
#pragma once
#include <windows.h>
#include <ddeml.h>

#include <string>
#include <vector>

namespace vorn::test {

struct ProgmanEvent {
    enum Kind { Connect, Execute, Disconnect } kind;
    HCONV conversation;
    std::string command;  // Execute only: the text as received, without its NUL
    DWORD dataLength;     // Execute only: bytes received, NUL included
    bool accepted;        // Execute only
};

// Starts the server thread on the calling thread's desktop. Registration of
// the service name is separate so that a test can have no server answering.
bool StartRecordingProgman();
void StopRecordingProgman();
bool SetProgmanRegistered(bool registered);

// Commands that begin with this text are answered "not processed"; an empty
// text rejects nothing.
void RejectCommandsStartingWith(const std::string& prefix);

// Clears the log.
void ClearProgmanLog();

// The log so far, after every opened conversation has been closed (waits at
// most a few seconds for the last disconnect to arrive).
std::vector<ProgmanEvent> ProgmanLog();

}  // namespace vorn::test
