#include "timesync/server_table.h"

namespace brisendale {

namespace {

struct Row {
    const char* host;
    const char* label;
};

// Rows 7 to 11 name operators that have since taken their servers out of
// service; the label names the operator, so those rows keep the operator's last
// public host name and simply fail to connect today.
constexpr Row kRows[kServerCount] = {
    {"time-a-g.nist.gov", "NIST, Gaithersburg, Maryland"},
    {"time-b-g.nist.gov", "NIST, Gaithersburg, Maryland"},
    {"time-a-b.nist.gov", "NIST, Boulder, Colorado"},
    {"time-b-b.nist.gov", "NIST, Boulder, Colorado"},
    {"time-c-b.nist.gov", "NIST, Boulder, Colorado"},
    {"utcnist.colorado.edu", "University of Colorado, Boulder"},
    {"time.nist.gov", "NCAR, Boulder, Colorado"},
    {"time-nw.nist.gov", "Microsoft, Redmond, Washington"},
    {"nist1.datum.com", "Datum, San Jose, California"},
    {"nist1.dc.certifiedtime.com", "Abovnet, Virginia"},
    {"nist1.nyc.certifiedtime.com", "Abovnet, New York City"},
    {"nist1.sjc.certifiedtime.com", "Abovnet, San Jose, California"},
};

}  // namespace

void ServerTable::Fill() {
    for (std::int16_t row = 0; row < kServerCount; ++row) {
        ServerHost[row] = kRows[row].host;
        ServerLabel[row] = kRows[row].label;
    }
}

std::string ServerTable::DisplayString(std::int16_t row) const {
    return "[" + ServerHost[row] + "] " + ServerLabel[row];
}

}  // namespace brisendale
