// The few file-system calls the packer's reader and writers need, one file
// per platform (file_system_posix.cpp, file_system_win32.cpp, chosen by
// CMake); everything above them is portable. Results are 0 for success or
// the platform's own error code (errno, GetLastError), which ErrorText turns
// into words.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "packer/bytes.h"

namespace vorn::fs {

// The separator the packer puts between a folder and a name.
extern const char kSeparator;
bool IsSeparator(char c);
// How many leading characters of path name a root that cannot be created or
// removed ("/"; "C:", "C:\", "\\server\share\", "\"), 0 for a relative path.
size_t RootLength(const std::string& path);

// What lies at a path, the last component not followed when it is a link.
enum class Kind { Missing, Folder, Other };
Kind KindAt(const std::string& path);
// True when path is a folder or leads to one.
bool IsFolder(const std::string& path);

// Identifies a file across renames, so that a clean-up takes away only the
// file this run made, not one that another program put at its name.
struct FileId {
    uint64_t volume = 0;
    uint64_t index = 0;
};

// A file this run created and holds open for writing.
struct NewFile {
    intptr_t handle = -1;
    std::string path;
    FileId id;
};

// Creates a file of a name no one has used, prefix followed by a few unique
// characters, exclusively: never an existing file, never through a link
// planted at the name. It gets the permissions of an ordinary new file.
int CreateFresh(const std::string& prefix, NewFile* file);
// Writes every byte and has the system put them on the disk.
int WriteAndSync(const NewFile& file, const Bytes& bytes);
int Close(NewFile* file);

// Renames from to to in one step. Without replace, an existing entry at to
// is never replaced: the rename fails with a code IsAlreadyExists accepts.
int Rename(const std::string& from, const std::string& to, bool replace);
bool IsAlreadyExists(int code);
// True when path (not followed) is still the file with this identity.
bool IsSameFile(const std::string& path, const FileId& id);
int RemoveFile(const std::string& path);
int MakeFolder(const std::string& path);
int RemoveFolder(const std::string& path);

std::string ErrorText(int code);

// A scratch file in the user's temporary folder for the member checks, gone
// when its stream is closed. Null with the reason.
FILE* OpenScratchFile(std::string* path, std::string* error);

}  // namespace vorn::fs
