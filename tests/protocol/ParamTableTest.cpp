// The parameter table: slots, read-back decoding, send encoding, lists and bit fields.
#include <gtest/gtest.h>

#include <array>

#include "CommandFrames.h"
#include "ParamTable.h"
#include "ParameterNames.h"
#include "ProtocolState.h"

namespace {

constexpr int kNew = 1218;
constexpr int kOld = 1211;

QString LabelOf(char letter, int bit = 0) {
    return ParameterNames().at(*CacheSlotOf(letter) + bit);
}

TEST(ParamTable, SlotsAreThoseOfTheLabelTable) {
    EXPECT_EQ(LabelOf('A'), QStringLiteral("多轴模式 选择"));
    EXPECT_EQ(LabelOf('P'), QStringLiteral("舵机 输出模式"));
    EXPECT_EQ(LabelOf('`'), QStringLiteral("高  度 稳  定"));
    EXPECT_EQ(LabelOf('!'), QStringLiteral("一键返航速 度"));
    EXPECT_EQ(LabelOf('K'), QStringLiteral("云台 俯仰比例"));
    EXPECT_EQ(LabelOf('J'), QStringLiteral("云台 横滚比例"));
    EXPECT_EQ(LabelOf('_'), QStringLiteral("俯仰舵角限 制"));
    EXPECT_EQ(LabelOf('&'), QStringLiteral("俯仰舵机中 点"));
    EXPECT_EQ(LabelOf('L'), QStringLiteral("报警电压 设置"));
    EXPECT_EQ(LabelOf('7'), QStringLiteral("电 池 4 电 压"));
    EXPECT_EQ(LabelOf('M', 4), QStringLiteral("磁 传 感   器"));
    EXPECT_EQ(LabelOf('O', 7), QStringLiteral("输出M/S8 反向"));
    EXPECT_EQ(LabelOf('a'), QStringLiteral("自稳  CH5  低"));
    EXPECT_EQ(LabelOf('='), QStringLiteral("Z 轴跟随CH5低"));
    EXPECT_EQ(LabelOf('i', 11), QStringLiteral("自动降落CH8高"));
    EXPECT_EQ(LabelOf('Q'), QStringLiteral("本地 磁 偏 角"));
    for (char letter : {'V', 'H', 'I', 'j', '~', 'k', 'n', 'z', '0', 'W', '\0'})
        EXPECT_FALSE(CacheSlotOf(letter).has_value()) << letter;
}

TEST(ParamTable, OutOfRangeReadBackShowsZero) {
    EXPECT_EQ(ShownFromWire('E', 150, kNew), 0);
    EXPECT_EQ(ShownFromWire('D', 150, kNew), 0);
    EXPECT_EQ(ShownFromWire('E', 100, kNew), 100);
    EXPECT_EQ(ShownFromWire('_', 101, kNew), 0);
    EXPECT_EQ(ShownFromWire('L', 279, kNew), 0);
    EXPECT_EQ(ShownFromWire('L', 280, kNew), 280);
    EXPECT_EQ(ShownFromWire('L', 401, kNew), 0);
    EXPECT_EQ(ShownFromWire('l', 5001, kNew), 0);
    EXPECT_EQ(ShownFromWire('E', -3, kNew), 0);
    EXPECT_EQ(ShownFromWire('4', 9999, kNew), 9999);  // batteries are not range-checked
}

TEST(ParamTable, OffsetsApplyBothWays) {
    EXPECT_EQ(ShownFromWire('Q', 200, kNew), 20);
    EXPECT_EQ(ShownFromWire('Q', 400, kNew), 0);
    EXPECT_EQ(ShownFromWire('Q', 0, kNew), -180);
    EXPECT_EQ(WireFromShown('Q', -5, kNew), 175);
    EXPECT_EQ(ShownFromWire('^', 250, kNew), 0);
    EXPECT_EQ(ShownFromWire('^', 40, kNew), -60);
    EXPECT_EQ(WireFromShown('&', -100, kNew), 0);
    EXPECT_EQ(WireFromShown('&', 100, kOld), 200);
    EXPECT_EQ(CachedAfterSend('&', -100, kNew), -100);
    EXPECT_EQ(ShownFromWire('n', 0, kNew), -5000);
    EXPECT_EQ(ShownFromWire('y', 9999, kNew), 4999);
    EXPECT_EQ(WireFromShown('n', -120, kNew), 4880);
    EXPECT_EQ(WireFromShown('l', 650, kNew), 650);
}

TEST(ParamTable, GimbalEncodingsDependOnTheFirmwareVersion) {
    EXPECT_EQ(ShownFromWire('J', 150, kOld), 50);
    EXPECT_EQ(ShownFromWire('J', 150, kNew), 150);
    EXPECT_EQ(ShownFromWire('J', 300, 1200), -100);
    EXPECT_EQ(ShownFromWire('J', 300, kNew), 0);
    EXPECT_EQ(ShownFromWire('%', 130, 1200), 30);
    EXPECT_EQ(ShownFromWire(')', 30, 1200), 30);

    EXPECT_EQ(WireFromShown('K', 30, kNew), 30);
    EXPECT_EQ(WireFromShown('K', 30, 1200), 130);
    EXPECT_EQ(WireFromShown('%', 30, 1200), 30);
    EXPECT_EQ(WireFromShown(')', 30, 1200), 130);
    EXPECT_EQ(WireFromShown('+', 30, kNew), 30);
    EXPECT_EQ(WireFromShown('_', 30, 1200), 30);
    // The cache takes what a read-back of the value sent shows: one form for both.
    EXPECT_EQ(CachedAfterSend('K', 30, 1200), 30);   // sent 130, read back 30
    EXPECT_EQ(CachedAfterSend('%', 60, 1211), -40);  // sent 60, read back -40
    EXPECT_EQ(CachedAfterSend('+', 0, 1200), 100);   // sent 100, read back 100
    EXPECT_EQ(CachedAfterSend('+', 30, 1200), 0);    // sent 130: out of range, shown as 0
    EXPECT_EQ(CachedAfterSend('K', 30, kNew), 30);
    EXPECT_EQ(CachedAfterSend('_', 30, 1200), 30);
}

TEST(ParamTable, ListLettersMapWireCodesToEntries) {
    EXPECT_EQ(ShownFromWire('A', 15, kNew), 8);
    EXPECT_EQ(ShownFromWire('A', 16, kNew), 16);
    EXPECT_EQ(ShownFromWire('A', 8, kNew), 9);
    EXPECT_EQ(ShownFromWire('A', 0, kNew), 0);
    EXPECT_EQ(ShownFromWire('A', 17, kNew), 0);
    EXPECT_EQ(ShownFromWire('B', 5, kNew), 6);
    EXPECT_EQ(ShownFromWire('B', 7, kNew), 5);
    EXPECT_EQ(ShownFromWire('P', 3, kNew), 2);
    EXPECT_EQ(ShownFromWire('P', 2, kNew), 0);
    EXPECT_EQ(WireFromShown('A', 8, kNew), 15);
    EXPECT_EQ(WireFromShown('B', 5, kNew), 7);
    EXPECT_EQ(WireFromShown('P', 2, kNew), 3);
    EXPECT_EQ(WireFromShown('A', 0, kNew), 0);
    for (char letter : {'A', 'B', 'P'})
        for (int entry = 1; entry <= 16; ++entry) {
            const int wire = WireFromShown(letter, entry, kNew);
            if (wire != 0) {
                EXPECT_EQ(ShownFromWire(letter, wire, kNew), entry) << letter << entry;
            }
        }
}

TEST(ParamTable, BitFieldsSpreadOneBitPerSlot) {
    std::array<int, 200> cache{};
    cache.fill(7);
    StoreInCache('M', 0x93, cache);
    const int bits[] = {1, 1, 0, 0, 1, 0, 0, 1};
    for (int bit = 0; bit < 8; ++bit) EXPECT_EQ(cache[31 + bit], bits[bit]);
    EXPECT_EQ(cache[30], 7);
    EXPECT_EQ(cache[39], 7);

    StoreInCache('i', 0x800, cache);
    EXPECT_EQ(cache[174], 1);
    EXPECT_EQ(cache[163], 0);
    EXPECT_EQ(cache[175], 7);
    EXPECT_EQ(BitCountOf('a'), 12);
    EXPECT_EQ(BitCountOf('N'), 8);
    EXPECT_EQ(BitCountOf('C'), 0);

    StoreInCache('k', 6, cache);                              // no slot: nothing changes
    StoreInCache('Q', 20, std::span<int>(cache).first(100));  // a short cache is not overrun
    EXPECT_EQ(cache[190], 7);
}

TEST(CommandFrames, LeadingNumberReadsWhatTheTextStartsWith) {
    EXPECT_EQ(LeadingNumber("0045"), 45);
    EXPECT_EQ(LeadingNumber("4x5 "), 4);
    EXPECT_EQ(LeadingNumber("abcd"), 0);
    EXPECT_EQ(LeadingNumber(""), 0);
    EXPECT_EQ(LeadingNumber("-20\r"), -20);
    EXPECT_EQ(LeadingNumber(" 330"), 330);
    EXPECT_EQ(LeadingNumber("-"), 0);
    EXPECT_GT(LeadingNumber("99999999999999999999"), 9999);  // no overflow
    EXPECT_EQ(SetCommand('C', 12345), "SC2345\r");
    EXPECT_EQ(LeadingDigits("0045"), 45);
    EXPECT_EQ(LeadingDigits("-001"), 0);
    EXPECT_EQ(LeadingDigits(" 330"), 0);
}

TEST(ParamTable, ShownRangesFollowTheReadRangeThroughTheOffset) {
    const auto range = [](char letter, int version = 1218) {
        return ShownRangeOf(letter, version);
    };
    EXPECT_EQ(range('C')->minimum, 0);
    EXPECT_EQ(range('C')->maximum, 100);
    EXPECT_EQ(range('&')->minimum, -100);
    EXPECT_EQ(range('&')->maximum, 100);
    EXPECT_EQ(range('L')->minimum, 280);
    EXPECT_EQ(range('Q')->minimum, -180);
    EXPECT_EQ(range('Q')->maximum, 180);
    EXPECT_EQ(range('K', 1200)->minimum, -100);
    EXPECT_EQ(range('n')->maximum, 4999);
    EXPECT_FALSE(range('A').has_value());
    EXPECT_FALSE(range('M').has_value());

    std::array<int, ProtocolState::kCacheSlots> cache{};
    StoreInCache('M', 0x90, cache);
    EXPECT_EQ(MaskFromCache('M', cache), 0x90);
    EXPECT_EQ(MaskFromCache('C', cache), 0);
}

TEST(ParamTable, SettableRangesAreWhatTheControlsCanSendWhateverTheFirmware) {
    struct Case {
        char letter;
        int minimum;
        int maximum;
    };
    // The gimbal ratios read 0..200 on new firmware and -100..100 on old: only 0..100 is safe
    // on both, which is also what their sliders offer.
    const Case settable[] = {{'C', 0, 100},    {'K', 0, 100},   {'%', 0, 100},    {')', 0, 100},
                             {'^', -100, 100}, {'L', 280, 400}, {'Q', -180, 180}, {'A', 1, 16},
                             {'B', 1, 7},      {'P', 1, 4},     {'M', 0, 255},    {'N', 0, 255},
                             {'a', 0, 4095},   {'=', 0, 4095}};
    for (const Case& c : settable) {
        const std::optional<ShownRange> range = SettableRangeOf(c.letter);
        ASSERT_TRUE(range.has_value()) << c.letter;
        EXPECT_EQ(range->minimum, c.minimum) << c.letter;
        EXPECT_EQ(range->maximum, c.maximum) << c.letter;
    }
    for (char letter : {'V', 'H', 'I', 'j', '~', '4', '0', 'k', 'n', 'z', 'W'})
        EXPECT_FALSE(SettableRangeOf(letter).has_value()) << letter;

    EXPECT_EQ(LinkedRowOf('d'), 'e');
    EXPECT_EQ(LinkedRowOf('e'), 'd');
    EXPECT_FALSE(LinkedRowOf('a').has_value());
    EXPECT_EQ(FirmwareVersionText(1218), QStringLiteral("1.218"));
    EXPECT_EQ(FirmwareVersionText(7), QStringLiteral("0.007"));
}

}  // namespace
