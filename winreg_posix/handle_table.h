// The HKEY handles of this process. A handle is only a remembered key path:
// it holds no connection, so one left open holds nothing.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>

#include "winreg_posix/key_path.h"
#include "winreg_posix/winreg_posix.h"

namespace brisendale::winreg {

// The root a predefined key such as HKEY_LOCAL_MACHINE stands for; only the
// low 32 bits of the handle count.
std::optional<std::uint32_t> PredefinedRoot(HKEY key);

class HandleTable {
  public:
    HKEY Add(KeyPath key);
    // The key of an open handle or a predefined root; nothing for the null
    // handle and one closed or never handed out.
    std::optional<KeyPath> Find(HKEY handle);
    bool Remove(HKEY handle);

  private:
    static std::uintptr_t Id(HKEY handle);

    std::mutex mutex_;
    std::map<std::uintptr_t, KeyPath> keys_;
    std::uintptr_t next_ = 0;
};

// The one table of the process.
HandleTable& Handles();

}  // namespace brisendale::winreg
