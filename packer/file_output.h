// Writing the packer's output files so that a failure never leaves a partial
// file: one file through a temporary beside it, or a set of files into a
// folder all or none.
#pragma once
#include <string>
#include <vector>

#include "packer/member_encoder.h"

namespace vorn {

// Writes bytes to path through "<path>.partial", renamed into place when the
// whole file is written. False with the reason; the temporary is removed.
bool WriteFileAtomically(const std::string& path, const Bytes& bytes, std::string* error);

struct FolderFile {
    std::string name;  // a plain file name inside the folder
    const Bytes* bytes;
};

// Writes the files into folder, all or none. The folder and its missing
// parents are created. An existing entry of one of the names is refused
// unless replace is set; a folder of that name is refused always. Every file
// is written in full to a temporary name in the folder first; only when all
// are written are they renamed into place. On failure (a reason in error)
// the folder holds nothing new: temporaries, files renamed so far (when
// nothing was replaced) and the folders this call created are removed.
bool WriteFilesIntoFolder(const std::string& folder, const std::vector<FolderFile>& files, bool replace,
                          std::string* error);

}  // namespace vorn
