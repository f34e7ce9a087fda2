// The run's own temporary file for one member's bytes: a name no other file
// has, in the Windows temporary folder, held so that nobody else can write,
// truncate, rename or delete it while the run uses it.
#pragma once
#include <cstdio>

namespace vorn {

constexpr int kTempFolderSize = 300;  // GetTempPathA's buffer
// "vorn" and four hex digits, ".tmp": an 8.3 name, which every file system takes.
constexpr char kTempNameForm[] = "%svorn%04x.tmp";
constexpr int kTempNameLength = 12;
constexpr int kTempPathSize = kTempFolderSize + kTempNameLength;  // the folder ends in a backslash
constexpr char kTempFallbackFolder[] = "c:\\";  // when there is no usable temporary folder path

// Creates a new temporary file, never opening one that already exists, and
// returns it as a buffered stream for writing ("wb"); its path goes to `path`
// (kTempPathSize characters). The file may be opened again for reading by its
// path while the stream stays open, and by nothing else. Null, with `path`
// empty, when no file can be created.
FILE* CreateTempFile(char* path);

// Closes the stream when it is open, deletes the file (once more when that
// fails) and empties the path: from then on the name is no longer this run's,
// and another run may take it.
void DeleteTempFile(FILE*& stream, char* path);

}  // namespace vorn
