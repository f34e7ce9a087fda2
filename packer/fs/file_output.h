// Writing the packer's output files so that a failure never leaves a partial
// file and nothing planted at a temporary name is ever followed: one file
// through a fresh temporary beside it, or a set of files into a folder all
// or none.
#pragma once
#include <string>
#include <vector>

#include "packer/bytes.h"

namespace vorn {

// folder and name joined with the platform's separator (none added after a
// folder that already ends in one).
std::string JoinPath(const std::string& folder, const std::string& name);

// Writes bytes to path: to a temporary file of a fresh name beside it, made
// exclusively, written, synced and closed, then renamed over path. False
// with a one-line reason naming what failed; the temporary is removed.
bool WriteFileAtomically(const std::string& path, const Bytes& bytes, std::string* error);

struct OutputFile {
    std::string path;
    const Bytes* bytes;
};

// Writes several files that belong together: every one complete under a
// fresh temporary name beside it first, and only then each renamed over its
// path, in order. A failure before the renames (a folder missing, a disk
// full) leaves every earlier file as it was and removes the temporaries.
bool WriteFilesAtomically(const std::vector<OutputFile>& files, std::string* error);

struct FolderFile {
    std::string name;  // a plain file name inside the folder
    const Bytes* bytes;
};

// Called before each file of a set is renamed into place (index in files,
// the name it goes to); tests play another writer through it.
struct BeforeRename {
    void (*call)(void* context, size_t index, const std::string& target);
    void* context;
};

// Writes the files into folder, all or none. The folder and its missing
// parents are created (repeated and trailing separators, "." and ".." are
// fine). An existing entry of one of the names is refused unless replace is
// set; a folder of that name is refused always. Every file is written in
// full to a fresh temporary name in the folder first; only when all are
// written are they renamed into place, without replace by a rename that
// never replaces, so a file that appears meanwhile is kept and the run
// fails. On failure (a reason in error) the folder holds nothing new: the
// temporaries, the files renamed so far that are still this run's own (when
// nothing was replaced) and the folders this call created are removed, and
// nothing else.
bool WriteFilesIntoFolder(const std::string& folder, const std::vector<FolderFile>& files, bool replace,
                          std::string* error, const BeforeRename* beforeRename = nullptr);

}  // namespace vorn
