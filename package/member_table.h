// The ten members of the package, in package order, with the names of the
// files they become in the destination folder.
#pragma once
#include <array>

namespace vorn {

// The count of members is this table's size, and nowhere else. (Written as
// `auto = std::array{...}`, the deduced table stays read-only data; GCC puts
// `std::array kMemberNames = {...}` among writable data.)
inline constexpr auto kMemberNames = std::array{
    "vorn32.exe",    // 0  the client program
    "vorn.hlp",      // 1  help; "vorn.gid" is deleted after it is written
    "ircintro.hlp",  // 2  help; "ircintro.gid" is deleted after it is written
    "readme.txt",    // 3
    "versions.txt",  // 4
    "vorn.ini",      // 5  settings files from here on
    "aliases.ini",   // 6
    "popups.ini",    // 7
    "servers.ini",   // 8
    "urls.ini",      // 9
};

}  // namespace vorn
