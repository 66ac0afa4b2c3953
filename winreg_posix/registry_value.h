// A value's type and bytes, as stored and as handed back.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "winreg_posix/winreg_posix.h"

namespace brisendale::winreg {

struct Value {
    DWORD type;
    std::string data;
};

// A key's values with their names, in name order.
using NamedValues = std::vector<std::pair<std::string, Value>>;

}  // namespace brisendale::winreg
