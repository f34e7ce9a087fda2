// Destination paths of the members and path splitting.
#include "package/member_path.h"

#include <windows.h>

#include <cstdlib>

#include "common/install_state.h"
#include "package/member_table.h"

namespace vorn {

void MemberPath(int index, char* path)
{
    path[0] = '\0';
    if (index < 0 || index >= static_cast<int>(kMemberNames.size()))
        return;
    // The folder holds at most 299 characters and a name 12, well inside the buffer.
    wsprintfA(path, "%s\\%s", installSettings.folder, kMemberNames[index]);
}

void SplitPath(const char* path, PathParts* parts)
{
    _splitpath(path, parts->drive, parts->directory, parts->name, parts->extension);
}

}  // namespace vorn
