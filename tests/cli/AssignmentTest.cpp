// The values of vexactl set and the letters of get, checked before anything is sent.
#include <gtest/gtest.h>

#include "Assignment.h"

namespace {

TEST(Assignment, EachValueIsCheckedAgainstTheParameterTable) {
    struct Case {
        const char* text;
        char letter;  // 0: refused
        int shown;
        const char* says;
    };
    const Case cases[] = {
        {"C=45", 'C', 45, ""},
        {"C=0", 'C', 0, ""},
        {"C=+100", 'C', 100, ""},
        {"Q=-180", 'Q', -180, ""},
        {"^=-100", '^', -100, ""},
        {"L=280", 'L', 280, ""},
        {"A=16", 'A', 16, ""},
        {"M=255", 'M', 255, ""},
        {"==4095", '=', 4095, ""},
        {"`=7", '`', 7, ""},
        {"C=101", 0, 0, "C takes 0 to 100"},
        {"C=-1", 0, 0, "C takes 0 to 100"},
        {"K=150", 0, 0, "K takes 0 to 100"},  // 150 reads as 50 on old firmware
        {"L=279", 0, 0, "L takes 280 to 400"},
        {"A=0", 0, 0, "A takes 1 to 16"},
        {"a=4096", 0, 0, "a takes 0 to 4095"},
        {"C=4.5", 0, 0, "whole number"},
        {"C=", 0, 0, "whole number"},
        {"C=45x", 0, 0, "whole number"},
        {"C= 45", 0, 0, "whole number"},
        {"C=99999999999", 0, 0, "whole number"},
        {"C45", 0, 0, "LETTER=VALUE"},
        {"=", 0, 0, "LETTER=VALUE"},
        {"CC=4", 0, 0, "LETTER=VALUE"},
        {"\x7f=4", 0, 0, "LETTER=VALUE"},
        {"j=1", 0, 0, "vexactl reference"},
        {"4=410", 0, 0, "calibration"},
        {"7=410", 0, 0, "calibration"},
        {"n=100", 0, 0, "frame editor"},
        {"k=6", 0, 0, "frame editor"},
        {"V=1218", 0, 0, "never written"},
        {"W=1", 0, 0, "no parameter letter"},
    };
    for (const Case& c : cases) {
        QString error;
        const std::optional<Assignment> parsed =
            ParseAssignment(QString::fromLatin1(c.text), &error);
        if (c.letter == 0) {
            EXPECT_FALSE(parsed.has_value()) << c.text;
            EXPECT_TRUE(error.contains(QLatin1String(c.says)))
                << c.text << ": " << error.toStdString();
            continue;
        }
        ASSERT_TRUE(parsed.has_value()) << c.text << ": " << error.toStdString();
        EXPECT_EQ(parsed->letter, c.letter) << c.text;
        EXPECT_EQ(parsed->shown, c.shown) << c.text;
    }
}

TEST(Assignment, TheWholeSetIsRefusedForOneBadValueATwiceGivenLetterOrSharedLinkedPositions) {
    struct Case {
        QStringList arguments;
        const char* says;  // "": accepted
    };
    const Case cases[] = {
        {{"C=45", "D=40", "d=3", "e=12"}, ""},
        {{"C=45", "D=400"}, "D takes 0 to 100"},
        {{"C=45", "C=46"}, "given twice"},
        {{"e=6", "d=3"}, "share switch positions (2)"},
    };
    for (const Case& c : cases) {
        QString error;
        const std::vector<Assignment> parsed = ParseAssignments(c.arguments, &error);
        if (*c.says == 0) {
            EXPECT_EQ(parsed.size(), std::size_t(c.arguments.size())) << error.toStdString();
            continue;
        }
        EXPECT_TRUE(parsed.empty()) << c.says;
        EXPECT_TRUE(error.contains(QLatin1String(c.says))) << error.toStdString();
        EXPECT_TRUE(error.contains(QLatin1String("nothing was sent"))) << error.toStdString();
    }
}

TEST(Assignment, GetTakesEveryLetterTheReadBackChainsAsk) {
    QString error;
    for (const char* letter : {"C", "H", "j", "`", "k", "z", "="})
        EXPECT_TRUE(CheckReadableLetter(QString::fromLatin1(letter), &error)) << letter;
    for (const char* text : {"V", "W", "~", "0", "CD", ""})
        EXPECT_FALSE(CheckReadableLetter(QString::fromLatin1(text), &error)) << text;
}

}  // namespace
