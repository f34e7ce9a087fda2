// Small file-system helpers of the extraction engine: retried deletes, stream
// lengths, existence and attribute clearing through the ANSI Win32 calls.
#pragma once
#include <cstdint>
#include <cstdio>

namespace vorn {

// DeleteFileA, and once more when that fails; the second result is ignored.
void DeleteWithRetry(const char* path);

// The stream's length in bytes; its position is left where it was.
int32_t FileLength(FILE* stream);

// True when GetFileAttributesA finds the path (a file or a folder).
bool PathExists(const char* path);

// Removes read-only, hidden, system and archive; the result is ignored.
void ClearAttributes(const char* path);

// Closes the stream when it is open and clears the handle.
void CloseStream(FILE*& stream);

}  // namespace vorn
