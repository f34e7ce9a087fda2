// Destination paths of the members and the splitting of a path into drive,
// directory (with its trailing backslash), file name and extension.
#pragma once
#include "common/install_state.h"  // kPathSize

namespace vorn {

// The member's destination: the folder, "\", the member table's name. An
// index outside 0..9 gives an empty path. path holds kPathSize characters.
void MemberPath(int index, char* path);

struct PathParts {
    char drive[kPathSize];
    char directory[kPathSize];
    char name[kPathSize];
    char extension[kPathSize];
};

void SplitPath(const char* path, PathParts* parts);

}  // namespace vorn
