// What vexactl calls a parameter: the language the locale chooses, the names the window's
// captions give, and the texts of the window's list entries.
#include <gtest/gtest.h>

#include "ListEntryText.h"
#include "NameLanguage.h"
#include "ParameterLabel.h"
#include "ReadBackChain.h"

namespace {

constexpr auto kChinese = NameLanguage::Chinese;
constexpr auto kEnglish = NameLanguage::English;

TEST(ParameterNaming, TheFirstLocaleSetDecides) {
    struct Case {
        const char *lcAll, *lcMessages, *lang;
        NameLanguage expected;
    };
    const Case cases[] = {
        {"", "", "zh_TW", kChinese},
        {"", "", "C.UTF-8", kEnglish},
        {"", "", "", kEnglish},
        {"", "zh_CN.UTF-8", "en_US.UTF-8", kChinese},
        {"C", "zh_CN.UTF-8", "zh_CN", kEnglish},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NameLanguageOf(c.lcAll, c.lcMessages, c.lang), c.expected)
            << c.lcAll << "|" << c.lcMessages << "|" << c.lang;
}

TEST(ParameterNaming, NamesComeFromTheWindowsCaptions) {
    for (char letter : kReadBackOrder) {
        EXPECT_FALSE(ParameterLabel(letter, kChinese).isEmpty()) << letter;
        // An English name that fell back to a Chinese label would be wider than it is long.
        const QString english = ParameterLabel(letter, kEnglish);
        EXPECT_EQ(DisplayWidth(english), english.size()) << letter;
    }
    const std::tuple<char, NameLanguage, const char*> cases[] = {
        {'V', kEnglish, "FW Version"},  // without the ":V" the digits follow
        {'d', kEnglish, "HeadLock"},    // a switch row by the grid row of its cache slot
        {'=', kEnglish, "Z Stabi"},
        {'i', kEnglish, "Autolanging"},
        {'d', kChinese, "锁定航向"},
        {'k', kEnglish, "异形多轴轴数"},  // the frame editor is Chinese in both languages
    };
    for (const auto& [letter, language, expected] : cases)
        EXPECT_EQ(ParameterLabel(letter, language), QString::fromUtf8(expected)) << letter;
}

TEST(ParameterNaming, ListTextsAreTheEntriesTheWindowSelects) {
    const std::tuple<char, int, const char*> cases[] = {
        {'A', 1, "1. GIMBAL"},
        {'A', 16, "16. IRRET_SHAPE"},
        {'A', 17, nullptr},
        {'A', 0, nullptr},
        {'P', 4, "4. 400Hz舵机"},
        {'P', 5, nullptr},
        {'j', 0, "Default:300mm以下机架数据"},  // the reference set counts from 0
        {'j', 5, nullptr},
        {'C', 1, nullptr},
    };
    for (const auto& [letter, shown, expected] : cases) {
        const std::optional<QString> text = ListEntryText(letter, shown);
        EXPECT_EQ(text.has_value(), expected != nullptr) << letter << shown;
        if (text && expected) EXPECT_EQ(*text, QString::fromUtf8(expected)) << letter << shown;
    }
}

}  // namespace
