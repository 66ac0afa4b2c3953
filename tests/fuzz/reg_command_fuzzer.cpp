// brisendale-reg's command line: the input is the argument list, NUL between
// arguments, then what the user types at its questions after a second NUL
// pair. Runs against a fresh store each time.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "scratch_config_home.h"
#include "tools/brisendale-reg/reg_command.h"

namespace {

using brisendale::fuzzing::Require;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& home = brisendale::fuzzing::ScratchConfigHome::Instance();
    home.Reset();

    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::string typed;
    if (const auto split = rest.find(std::string_view("\0\0", 2));
        split != std::string_view::npos) {
        typed = std::string(rest.substr(split + 2));
        rest = rest.substr(0, split);
    }
    std::vector<std::string> args;
    while (!rest.empty() && args.size() < 16) {
        const auto end = rest.find('\0');
        args.emplace_back(rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }

    std::istringstream in(typed);
    std::ostringstream out;
    std::ostringstream err;
    const int status = brisendale::RunRegCommand(args, in, out, err);
    Require(status == 0 || status == 1);
    // A failure always says why, and a success never says "ERROR:".
    if (status == 1) {
        Require(err.str().find("ERROR:") != std::string::npos);
    } else {
        Require(err.str().find("ERROR:") == std::string::npos);
    }
    return 0;
}
