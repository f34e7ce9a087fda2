// What an installation left behind: the installed files compared with the
// payload, the run's temporary files, the uninstall entry. Files, folders,
// registry reads and the Program Manager group come from the test support
// library.
#pragma once
#include <string>
#include <vector>

#include "package/member_table.h"
#include "tests/support/files.h"
#include "tests/support/progman_group.h"
#include "tests/support/registry.h"

namespace vorn::e2e {

using namespace vorn::test;

// One line per installed file that differs from the payload or is missing;
// empty when all ten are byte-identical. After the completion actions
// "vorn.ini" holds the payload's bytes followed by the ignore list, which the
// caller checks: pass settingsAmended to compare only its beginning.
std::string CompareWithPayload(const std::string& folder, const std::string& payloadDir,
                               bool settingsAmended = false);

// The installer's temporary files ("vorn*.tmp") in the Windows temporary
// folder, sorted: a run deletes its own after each member and at its end.
std::vector<std::string> InstallerTemporaryFiles();

}  // namespace vorn::e2e
