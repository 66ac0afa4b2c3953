#include "settings/settings_problem.h"

namespace brisendale {
namespace {

// " (reason)", or nothing when the system gave none.
std::string InParentheses(const std::string& reason) {
    return reason.empty() ? std::string() : " (" + reason + ")";
}

}  // namespace

std::string DescribeSettingsProblem(const SettingsProblem& problem) {
    const std::string& file = problem.file;
    const std::string why = InParentheses(problem.reason);
    // Values and entry are saved apart: say which of them was lost.
    const std::string lost = problem.logonEntry ? "Your startup choice was not saved: "
                                                : "Your choices were not saved: ";
    switch (problem.kind) {
        case SettingsProblemKind::kUnreadable:
            return "The settings in " + file + " cannot be read" + why +
                   ". Brisendale uses its defaults and will not write over that file.";
        case SettingsProblemKind::kReadOnly:
            return lost + file + " is read-only" + why + ".";
        case SettingsProblemKind::kBusy:
            return lost + file + " is busy, as another program has kept it locked for too long.";
        case SettingsProblemKind::kProgramPathNotUtf8:
            return "Brisendale cannot be started at logon from " + file +
                   ", as a logon entry can only name a path that is UTF-8 text. Move the "
                   "program to a folder whose name is UTF-8.";
        case SettingsProblemKind::kWriteFailed:
            break;
    }
    return lost + file + " could not be written" + why + ".";
}

std::string DescribeUnreadableAtLogon(const SettingsProblem& problem) {
    return "The settings in " + problem.file + " cannot be read" + InParentheses(problem.reason) +
           "; the clock is not set from defaults.";
}

}  // namespace brisendale
