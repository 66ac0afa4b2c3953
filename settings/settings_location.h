// Where this user's settings and logon entry are kept, for the usage text.
#pragma once

#include <string>

namespace brisendale {

// One line each for the settings and the logon entry, ending in a line feed.
std::string DescribeSettingsLocation();

}  // namespace brisendale
