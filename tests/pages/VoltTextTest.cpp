#include <gtest/gtest.h>

#include "VoltText.h"

namespace {

// Typed in volts (a decimal point or a "V") or in whole hundredths; hundredths come out.
TEST(VoltTextTest, VoltsAndHundredthsAreReadAsHundredths) {
    const std::pair<const char*, std::optional<int>> rows[] = {
        {"4.05", 405},
        {"4.05 V", 405},
        {" 4.05v ", 405},
        {"4,05", 405},
        {"4.5", 450},
        {"4.", 400},
        {"4V", 400},
        {"405", 405},
        {"0", 0},
        {"-0.25", -25},
        {"4.055", std::nullopt},
        {"", std::nullopt},
        {"V", std::nullopt},
        {"4.0.5", std::nullopt},
        {"abc", std::nullopt},
        {"4 05", std::nullopt},
    };
    for (const auto& [typed, hundredths] : rows)
        EXPECT_EQ(ParseVoltage(QString::fromUtf8(typed)), hundredths) << typed;
}

TEST(VoltTextTest, HundredthsAreShownInVoltsWithTheUnit) {
    const std::pair<int, const char*> rows[] = {{405, "4.05 V"},   {330, "3.30 V"},
                                                {0, "0.00 V"},     {7, "0.07 V"},
                                                {9000, "90.00 V"}, {-25, "-0.25 V"}};
    for (const auto& [hundredths, shown] : rows)
        EXPECT_EQ(VoltText(hundredths), QString::fromUtf8(shown)) << hundredths;
}

}  // namespace
