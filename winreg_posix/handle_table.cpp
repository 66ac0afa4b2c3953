#include "winreg_posix/handle_table.h"

#include <utility>

namespace brisendale::winreg {

std::optional<std::uint32_t> PredefinedRoot(HKEY key) {
    const auto low = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(key));
    if (low >= 0x80000000u && low <= 0x80000003u)
        return low;
    return std::nullopt;
}

HKEY HandleTable::Add(KeyPath key) {
    std::lock_guard lock(mutex_);
    // Handle values are multiples of 16 below 0x80000000, so they never
    // look like a predefined key; a closed value is not handed out again
    // until the counter wraps.
    do {
        next_ = next_ % 0x07FFFFFFu + 1;
    } while (keys_.count(next_) != 0);
    keys_.emplace(next_, std::move(key));
    return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(next_) << 4);
}

std::optional<KeyPath> HandleTable::Find(HKEY handle) {
    if (auto root = PredefinedRoot(handle))
        return KeyPath{*root, ""};
    std::lock_guard lock(mutex_);
    const auto it = keys_.find(Id(handle));
    if (handle == nullptr || it == keys_.end())
        return std::nullopt;
    return it->second;
}

bool HandleTable::Remove(HKEY handle) {
    std::lock_guard lock(mutex_);
    return handle != nullptr && keys_.erase(Id(handle)) == 1;
}

std::uintptr_t HandleTable::Id(HKEY handle) {
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    return (value & 0xF) == 0 ? value >> 4 : 0;
}

HandleTable& Handles() {
    static HandleTable table;
    return table;
}

}  // namespace brisendale::winreg
