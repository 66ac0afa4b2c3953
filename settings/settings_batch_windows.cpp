#include "settings/settings_batch.h"

namespace brisendale {

// The registry calls used here (RegCreateKeyA, RegSetValueExA) have no way to
// group writes: each value lands on its own, as it always has on Windows.
RegistryBatch::RegistryBatch() = default;
RegistryBatch::~RegistryBatch() = default;

LONG RegistryBatch::End() {
    ended_ = true;
    return ERROR_SUCCESS;
}

}  // namespace brisendale
