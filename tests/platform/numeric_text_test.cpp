#include "platform/runtime/numeric_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>

namespace brisendale {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

TEST(NumericValue, ReadsTheLeadingNumberAndNeverFails) {
    const std::pair<std::string, double> rows[] = {
        {"", 0},          {"abc", 0},    {"007", 7},       {" 1 2 3", 123},   {"1\t2\n3", 123},
        {"\r5", 0},       {"12abc", 12}, {"-1.5e1x", -15}, {"+4", 4},         {"- 5", -5},
        {".5", 0.5},      {"1.", 1},     {"1e+", 1},       {"1e-1", 0.1},     {"3E2", 300},
        {"-", 0},         {".", 0},      {"1.2.3", 1.2},   {"&HFF", 255},     {"&hff", 255},
        {"&O17", 15},     {"&O19", 1},   {"&X1", 0},       {"&H", 0},         {"1,5", 1},
        {"23:59:58", 23}, {"-0", 0},     {"9e999", kInf},  {"-9e999", -kInf}, {"1e-400", 0},
    };
    // Past a double's range the magnitude decides: prefix, 400 zeros, suffix.
    const std::tuple<std::string, std::string, double> huge[] = {
        {"0.", "1", 0}, {"1", "e-1", kInf}, {"-1", "e-5", -kInf}, {"0.", "1e+0003", 0}};
    for (const auto& [prefix, suffix, expected] : huge) {
        EXPECT_EQ(NumericValue(prefix + std::string(400, '0') + suffix), expected)
            << prefix << suffix;
    }
    for (const auto& [text, expected] : rows) {
        const double value = NumericValue(text);
        EXPECT_EQ(value, expected) << text;
        EXPECT_FALSE(std::signbit(value) && value == 0) << "negative zero from " << text;
    }
}

TEST(RoundToInt32, HalvesGoToTheEvenNeighbourAndTheRangeClamps) {
    const std::pair<double, std::int32_t> rows[] = {
        {2.5, 2},    {3.5, 4},      {-2.5, -2},   {0.5, 0},  {2.4999, 2},
        {2.5001, 3}, {1e300, kMax}, {kInf, kMax}, {kNaN, 0}, {-1e300, -kMax - 1}};
    for (const auto& [value, expected] : rows) {
        EXPECT_EQ(RoundToInt32(value), expected) << value;
    }
}

}  // namespace
}  // namespace brisendale
