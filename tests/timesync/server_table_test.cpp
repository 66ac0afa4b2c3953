#include "timesync/server_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/runtime/runtime_error.h"

namespace brisendale {
namespace {

TEST(ServerTable, ListsTheTwelveServersInRowOrder) {
    const char* expected[kServerCount] = {
        "[time-a-g.nist.gov] NIST, Gaithersburg, Maryland",
        "[time-b-g.nist.gov] NIST, Gaithersburg, Maryland",
        "[time-a-b.nist.gov] NIST, Boulder, Colorado",
        "[time-b-b.nist.gov] NIST, Boulder, Colorado",
        "[time-c-b.nist.gov] NIST, Boulder, Colorado",
        "[utcnist.colorado.edu] University of Colorado, Boulder",
        "[time.nist.gov] NCAR, Boulder, Colorado",
        "[time-nw.nist.gov] Microsoft, Redmond, Washington",
        "[nist1.datum.com] Datum, San Jose, California",
        "[nist1.dc.certifiedtime.com] Abovnet, Virginia",
        "[nist1.nyc.certifiedtime.com] Abovnet, New York City",
        "[nist1.sjc.certifiedtime.com] Abovnet, San Jose, California",
    };
    ServerTable table;
    table.Fill();
    for (std::int16_t row = 0; row < kServerCount; ++row) {
        EXPECT_EQ(table.DisplayString(row), expected[row]) << "row " << row;
    }
}

TEST(ServerTable, HostNamesAreDistinctAndNotEmpty) {
    ServerTable table;
    table.Fill();
    std::set<std::string> hosts;
    for (std::int16_t row = 0; row < kServerCount; ++row) {
        EXPECT_FALSE(table.ServerHost[row].empty()) << "row " << row;
        hosts.insert(table.ServerHost[row]);
    }
    EXPECT_EQ(hosts.size(), static_cast<std::size_t>(kServerCount));
}

TEST(ServerTable, IsEmptyUntilFilled) {
    const ServerTable table;
    for (std::int16_t row = 0; row < kServerCount; ++row) {
        EXPECT_EQ(table.ServerHost[row], "");
        EXPECT_EQ(table.ServerLabel[row], "");
    }
    EXPECT_EQ(table.DisplayString(0), "[] ");
}

TEST(ServerTable, IndexOutsideTheBoundsIsASubscriptError) {
    ServerTable table;
    table.Fill();
    const ServerTable& readOnly = table;
    for (const std::int16_t index : {-1, 12, -32768, 32767}) {
        SCOPED_TRACE(index);
        try {
            (void)readOnly.ServerHost[index];
            ADD_FAILURE() << "read did not throw";
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.Number(), RuntimeError::kSubscriptOutOfRange);
            EXPECT_STREQ(error.what(), "Subscript out of range");
        }
        EXPECT_THROW(table.ServerLabel[index] = "x", RuntimeError);
        EXPECT_THROW((void)table.DisplayString(index), RuntimeError);
    }
    // A refused write changed nothing next to it.
    EXPECT_EQ(table.ServerLabel[11], "Abovnet, San Jose, California");
    EXPECT_EQ(table.ServerLabel[0], "NIST, Gaithersburg, Maryland");
}

}  // namespace
}  // namespace brisendale
