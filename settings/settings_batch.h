// Grouping of registry writes, where the registry offers it.
#pragma once

#include "platform/registry/registry_api.h"

namespace brisendale {

// The registry writes made while this lives land together, or not at all:
// another process never reads a part of them, and a process killed half-way
// leaves the earlier values. Where the registry has no such grouping, the
// writes land one by one as without it. Objects may nest.
class RegistryBatch {
  public:
    RegistryBatch();
    ~RegistryBatch();
    RegistryBatch(const RegistryBatch&) = delete;
    RegistryBatch& operator=(const RegistryBatch&) = delete;

    // Ends the batch now rather than at destruction: ERROR_SUCCESS when its
    // writes landed (or will, with the outermost), the failure otherwise,
    // for the caller to explain at once. Once only.
    LONG End();

  private:
    bool ended_ = false;
};

}  // namespace brisendale
