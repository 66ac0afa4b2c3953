#include "timesync/server_table.h"

#include <array>

namespace brisendale {

namespace {

// The rows keep their places and texts even where the service is gone: the
// stored server index is a row number. Rows 8 to 11 are under domains whose
// operators retired their servers; the NIST and University of Colorado names
// are the time services' own.
constexpr std::array<TimeServer, kServerCount> kServers = {{
    {"time-a-g.nist.gov", "NIST, Gaithersburg, Maryland", false},
    {"time-b-g.nist.gov", "NIST, Gaithersburg, Maryland", false},
    {"time-a-b.nist.gov", "NIST, Boulder, Colorado", false},
    {"time-b-b.nist.gov", "NIST, Boulder, Colorado", false},
    {"time-c-b.nist.gov", "NIST, Boulder, Colorado", false},
    {"utcnist.colorado.edu", "University of Colorado, Boulder", false},
    {"time.nist.gov", "NCAR, Boulder, Colorado", false},
    {"time-nw.nist.gov", "Microsoft, Redmond, Washington", false},
    {"nist1.datum.com", "Datum, San Jose, California", true},
    {"nist1.dc.certifiedtime.com", "Abovnet, Virginia", true},
    {"nist1.nyc.certifiedtime.com", "Abovnet, New York City", true},
    {"nist1.sjc.certifiedtime.com", "Abovnet, San Jose, California", true},
}};

}  // namespace

const TimeServer* ServerAt(int row) {
    if (row < 0 || row >= kServerCount) {
        return nullptr;
    }
    return &kServers[static_cast<std::size_t>(row)];
}

std::string DisplayString(const TimeServer& server) {
    return "[" + std::string(server.host) + "] " + std::string(server.label);
}

}  // namespace brisendale
