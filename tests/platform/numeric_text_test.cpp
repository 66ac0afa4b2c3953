#include "platform/runtime/numeric_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace brisendale {
namespace {

struct ReadingRow {
    const char* text;
    double expected;
};

class NumericValueTest : public ::testing::TestWithParam<ReadingRow> {};

TEST_P(NumericValueTest, ReadsLeadingNumber) {
    EXPECT_DOUBLE_EQ(NumericValue(GetParam().text), GetParam().expected)
        << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Rows, NumericValueTest,
    ::testing::Values(ReadingRow{"", 0}, ReadingRow{"abc", 0}, ReadingRow{"2", 2},
                      ReadingRow{"007", 7}, ReadingRow{" 1 2 3", 123}, ReadingRow{"1\t2\n3", 123},
                      ReadingRow{"12abc", 12}, ReadingRow{"-1.5e1x", -15}, ReadingRow{"+4", 4},
                      ReadingRow{"- 5", -5}, ReadingRow{"2.5", 2.5}, ReadingRow{".5", 0.5},
                      ReadingRow{"1.", 1}, ReadingRow{"1e", 1}, ReadingRow{"1e+", 1},
                      ReadingRow{"1e-1", 0.1}, ReadingRow{"3E2", 300}, ReadingRow{"-", 0},
                      ReadingRow{".", 0}, ReadingRow{"1.2.3", 1.2}, ReadingRow{"&HFF", 255},
                      ReadingRow{"&hff", 255}, ReadingRow{"&O17", 15}, ReadingRow{"&O19", 1},
                      ReadingRow{"&H", 0}, ReadingRow{"&X1", 0}, ReadingRow{"1e-400", 0},
                      ReadingRow{"\r5", 0}, ReadingRow{"23:59:58", 23}, ReadingRow{"  ", 0},
                      ReadingRow{"1,5", 1}),
    [](const ::testing::TestParamInfo<ReadingRow>& info) {
        return "row" + std::to_string(info.index);
    });

TEST(NumericValue, BeyondADoubleFollowsTheMagnitudeNotTheExponentSign) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::string zeros(400, '0');
    const std::pair<std::string, double> rows[] = {
        {"9e999", inf},
        {"-9e999", -inf},
        {"0." + zeros + "1", 0},
        {"1" + zeros, inf},
        {"1" + zeros + "e-1", inf},
        {"-1" + zeros + "e-5", -inf},
        {"0." + zeros + "1e+3", 0},
    };
    for (const auto& [text, expected] : rows) {
        EXPECT_EQ(NumericValue(text), expected)
            << text.substr(0, 12) << "... (" << text.size() << " characters)";
    }
}

TEST(NumericValue, NegativeZeroReadsAsPlainZero) {
    EXPECT_FALSE(std::signbit(NumericValue("-0")));
}

TEST(RoundToInt32, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundToInt32(2.5), 2);
    EXPECT_EQ(RoundToInt32(3.5), 4);
    EXPECT_EQ(RoundToInt32(-2.5), -2);
    EXPECT_EQ(RoundToInt32(0.5), 0);
    EXPECT_EQ(RoundToInt32(2.4999), 2);
    EXPECT_EQ(RoundToInt32(2.5001), 3);
    EXPECT_EQ(RoundToInt32(12), 12);
}

TEST(RoundToInt32, OutOfRangeClampsWithoutUndefinedBehaviour) {
    EXPECT_EQ(RoundToInt32(1e300), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(RoundToInt32(-1e300), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(RoundToInt32(std::numeric_limits<double>::infinity()),
              std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(RoundToInt32(std::nan("")), 0);
    EXPECT_EQ(RoundToInt32(2147483646.5), 2147483646);
    EXPECT_EQ(RoundToInt32(-2147483648.0), std::numeric_limits<std::int32_t>::min());
}

}  // namespace
}  // namespace brisendale
