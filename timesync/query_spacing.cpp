#include "timesync/query_spacing.h"

#include <algorithm>

namespace brisendale {

std::chrono::milliseconds QuerySpacing::WaitBefore(const std::string& host,
                                                   Clock::time_point now) const {
    const auto last = lastContact_.find(host);
    if (last == lastContact_.end()) {
        return std::chrono::milliseconds::zero();
    }
    const auto rest = last->second + spacing_ - now;
    return std::max(std::chrono::ceil<std::chrono::milliseconds>(rest),
                    std::chrono::milliseconds::zero());
}

void QuerySpacing::RecordContact(const std::string& host, Clock::time_point now) {
    auto [entry, added] = lastContact_.try_emplace(host, now);
    if (!added) {
        entry->second = std::max(entry->second, now);
    }
}

}  // namespace brisendale
