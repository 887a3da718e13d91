#include <gtest/gtest.h>

#include "VexaApp.h"

TEST(CommandLineTest, OptionsAreReadAndAutomationSwitchesAreAccepted) {
    const CVexaApp::CommandLine line = CVexaApp::Parse(
        {"/Embedding", "-Automation", "--com", "3=/dev/pts/7", "--com=12=/dev/ttyS0", "--page", "4",
         "--screenshot", "out.png", "--demo", "--live"});
    EXPECT_TRUE(line.error.isEmpty()) << line.error.toStdString();
    EXPECT_TRUE(line.automation);
    EXPECT_EQ(line.comAssignments, QStringList({"3=/dev/pts/7", "12=/dev/ttyS0"}));
    EXPECT_EQ(line.page, 4);
    EXPECT_EQ(line.screenshotPath, "out.png");
    EXPECT_TRUE(line.demo);
    EXPECT_TRUE(line.live);
    EXPECT_FALSE(line.livePlot);

    const CVexaApp::CommandLine plot = CVexaApp::Parse({"--demo", "--live-plot"});
    EXPECT_TRUE(plot.live && plot.livePlot);
}

TEST(CommandLineTest, UnusableOptionsAreRefusedWithAReason) {
    for (const QStringList& arguments :
         {QStringList{"--page", "5"}, QStringList{"--page", "two"},
          QStringList{"--com", "21=/dev/x"}, QStringList{"--com", "3"}, QStringList{"--screenshot"},
          QStringList{"--frobnicate"}, QStringList{"/Embed"}}) {
        const CVexaApp::CommandLine line = CVexaApp::Parse(arguments);
        EXPECT_FALSE(line.error.isEmpty()) << arguments.join(' ').toStdString();
        EXPECT_NE(line.error, "help");
    }
    EXPECT_EQ(CVexaApp::Parse({"--help"}).error, "help");
}
