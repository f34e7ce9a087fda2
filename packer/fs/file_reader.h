// Reading a whole file for the packer: payload members, member streams,
// packages and installers all come in through here.
#pragma once
#include <string>

#include "packer/bytes.h"

namespace vorn {

// Reads the whole file at path. False with a one-line reason that names the
// file: it cannot be opened, it is a folder, or a read failed.
bool ReadFileBytes(const std::string& path, Bytes* bytes, std::string* error);

}  // namespace vorn
