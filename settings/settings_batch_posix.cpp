#include "settings/settings_batch.h"

namespace brisendale {

RegistryBatch::RegistryBatch() {
    RegBeginBatchPOSIX();
}

// A batch that was not ended by End is ended here, its result unasked: the
// earlier values stay when it did not land.
RegistryBatch::~RegistryBatch() {
    End();
}

LONG RegistryBatch::End() {
    if (ended_)
        return ERROR_SUCCESS;
    ended_ = true;
    return RegEndBatchPOSIX();
}

}  // namespace brisendale
