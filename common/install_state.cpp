// The one InstallSettings record of the process.
#include "common/install_state.h"

namespace vorn {

InstallSettings installSettings;

}  // namespace vorn
