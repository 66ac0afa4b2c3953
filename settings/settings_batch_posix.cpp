#include "settings/settings_batch.h"

#include "winreg_posix/winreg_posix.h"

namespace brisendale {

RegistryBatch::RegistryBatch() {
    RegBeginBatchPOSIX();
}

// A batch that did not land leaves the earlier values; the writers report no
// failure either way, so the result is not needed here.
RegistryBatch::~RegistryBatch() {
    RegEndBatchPOSIX();
}

}  // namespace brisendale
