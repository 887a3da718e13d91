// What vexactl calls a parameter: the language chosen from the locale, the names in each
// language, and the texts of the window's list entries.
#include <gtest/gtest.h>

#include "ListEntryText.h"
#include "NameLanguage.h"
#include "ParameterLabel.h"
#include "ReadBackChain.h"

namespace {

TEST(ParameterNaming, LanguageFollowsTheMessageLocale) {
    struct Case {
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        NameLanguage expected;
    };
    const Case cases[] = {
        {"", "", "zh_CN.UTF-8", NameLanguage::Chinese},
        {"", "", "zh_TW", NameLanguage::Chinese},
        {"", "", "en_GB.UTF-8", NameLanguage::English},
        {"", "", "C.UTF-8", NameLanguage::English},
        {"", "", "", NameLanguage::English},
        {"", "zh_CN.UTF-8", "en_US.UTF-8", NameLanguage::Chinese},  // LC_MESSAGES before LANG
        {"", "de_DE.UTF-8", "zh_CN.UTF-8", NameLanguage::English},
        {"C", "zh_CN.UTF-8", "zh_CN.UTF-8", NameLanguage::English},  // LC_ALL before both
        {"zh_HK.UTF-8", "en_US.UTF-8", "", NameLanguage::Chinese},
        {"", "", "ZH_CN", NameLanguage::English},  // locale names are case-sensitive
    };
    for (const Case& c : cases)
        EXPECT_EQ(NameLanguageOf(QString::fromLatin1(c.lcAll), QString::fromLatin1(c.lcMessages),
                                 QString::fromLatin1(c.lang)),
                  c.expected)
            << c.lcAll << "|" << c.lcMessages << "|" << c.lang;
}

TEST(ParameterNaming, EveryReadBackLetterHasANameInBothLanguages) {
    for (char letter : kReadBackOrder) {
        const QString chinese = ParameterLabel(letter, NameLanguage::Chinese);
        const QString english = ParameterLabel(letter, NameLanguage::English);
        EXPECT_FALSE(chinese.isEmpty()) << letter;
        EXPECT_FALSE(chinese.contains(QLatin1Char(' '))) << letter;
        // An English name taken from a Chinese caption would be wider than it is long.
        EXPECT_EQ(DisplayWidth(english), english.size()) << letter << english.toStdString();
    }
}

TEST(ParameterNaming, NamesFollowTheWindowsCaptions) {
    struct Case {
        char letter;
        NameLanguage language;
        const char* expected;
    };
    const Case cases[] = {
        // The version caption without the ":V" its digits follow.
        {'V', NameLanguage::English, "FW Version"},
        {'V', NameLanguage::Chinese, "固件版本"},
        // A switch row is named by the row its cache slot lies in.
        {'a', NameLanguage::English, "AutoStabi"},
        {'d', NameLanguage::English, "HeadLock"},
        {'=', NameLanguage::English, "Z Stabi"},
        {'i', NameLanguage::English, "Autolanging"},
        {'d', NameLanguage::Chinese, "锁定航向"},
        // Gimbal letters whose order differs from the page's rows.
        {'J', NameLanguage::English, "Gim Roll Scale"},
        {'^', NameLanguage::English, "Roll Servo Mid"},
        {'_', NameLanguage::English, "PitchAngularLimit"},
        // The frame editor shows Chinese in both languages.
        {'k', NameLanguage::English, "异形多轴轴数"},
        {'z', NameLanguage::English, "螺旋桨方向"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParameterLabel(c.letter, c.language), QString::fromUtf8(c.expected)) << c.letter;
}

TEST(ParameterNaming, ListTextsAreTheEntriesTheWindowSelects) {
    struct Case {
        char letter;
        int shown;
        const char* expected;  // nullptr: no text
    };
    const Case cases[] = {
        {'A', 1, "1. GIMBAL"},
        {'A', 16, "16. IRRET_SHAPE"},
        {'A', 0, nullptr},
        {'A', 17, nullptr},
        {'B', 7, "7. 2KHz PWM (特殊电调)"},
        {'B', 8, nullptr},
        {'P', 4, "4. 400Hz舵机"},
        {'P', 5, nullptr},
        {'j', 0, "Default:300mm以下机架数据"},  // the reference set counts from 0
        {'j', 4, "恢复自存数据(From file you saved）"},
        {'j', 5, nullptr},
        {'j', -1, nullptr},
        {'C', 1, nullptr},  // a slider, no list
    };
    for (const Case& c : cases) {
        const std::optional<QString> text = ListEntryText(c.letter, c.shown);
        if (c.expected)
            EXPECT_EQ(text.value_or(QString()), QString::fromUtf8(c.expected))
                << c.letter << c.shown;
        else
            EXPECT_FALSE(text) << c.letter << c.shown;
    }
}

}  // namespace
