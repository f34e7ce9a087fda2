// A Program Manager stand-in for the tests: a DDEML server for service and
// topic "PROGMAN" on a thread of its own that logs every conversation and
// command and rejects the commands it is told to. One server at a time; it
// may be stopped and started again.
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

// Starts the server thread on the calling thread's desktop, with an empty
// log and nothing rejected. Registration of the service name is separate so
// that a test can have no server answering.
bool StartRecordingProgman();
void StopRecordingProgman();
bool SetProgmanRegistered(bool registered);

// Commands that begin with this text are answered "not processed", the first
// `times` of them (every one when times is negative); an empty text rejects
// nothing.
void RejectCommandsStartingWith(const std::string& prefix, int times = -1);

// Clears the log.
void ClearProgmanLog();

// The log so far, after every opened conversation has been closed (waits a
// while for the last disconnect to arrive).
std::vector<ProgmanEvent> ProgmanLog();

// The execute commands of a log, in order.
std::vector<std::string> ExecutedCommands(const std::vector<ProgmanEvent>& log);

// How many commands received so far begin with this text.
int CountCommands(const std::string& prefix);

}  // namespace vorn::test
