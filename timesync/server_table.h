// The twelve public Daytime servers the user can pick from.
//
// Row number, position in the server list and the stored server index are one
// and the same number, 0 to 11.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/runtime/runtime_error.h"

namespace brisendale {

constexpr std::int16_t kServerCount = 12;

// An array with fixed bounds 0 to N-1 whose every access is checked: an index
// outside them throws RuntimeError(kSubscriptOutOfRange), so a bad index (-1
// when a list has no selection, for one) never reads a neighbouring element.
template <class T, std::size_t N>
class BoundedArray {
  public:
    const T& operator[](std::int16_t index) const { return items_[Checked(index)]; }
    T& operator[](std::int16_t index) { return items_[Checked(index)]; }

    static constexpr std::int16_t Count() { return static_cast<std::int16_t>(N); }

  private:
    static std::size_t Checked(std::int16_t index) {
        if (index < 0 || static_cast<std::size_t>(index) >= N) {
            throw RuntimeError(RuntimeError::kSubscriptOutOfRange, "Subscript out of range");
        }
        return static_cast<std::size_t>(index);
    }

    std::array<T, N> items_{};
};

struct ServerTable {
    // DNS host names, the value given to the socket's remote host.
    BoundedArray<std::string, kServerCount> ServerHost;
    // Operator and site, shown to the user.
    BoundedArray<std::string, kServerCount> ServerLabel;

    // Fills the twelve rows, row 0 first. Until then every element is empty.
    void Fill();

    // The server list's entry for `row`: "[" host "] " label.
    std::string DisplayString(std::int16_t row) const;
};

}  // namespace brisendale
