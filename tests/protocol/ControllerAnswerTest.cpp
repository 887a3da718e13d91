// The controller's answers cut from what arrived and matched with the frame that asked for them.
// (Replies and echoes split across reads or sharing one read are covered at the dispatcher.)
#include <gtest/gtest.h>

#include "ControllerAnswer.h"

namespace {

TEST(ControllerAnswer, AShortEchoIsTakenAndAStrayQuestionMarkHidesNoReply) {
    QByteArray buffer = "SD12\r";
    EXPECT_EQ(CutAnswer(buffer, EchoEnd::AtLineEnd), QByteArray("SD12\r"));
    buffer = "?xx?V\r=1218\r\n";
    EXPECT_EQ(CutAnswer(buffer, EchoEnd::AtLineEnd), QByteArray("?V\r=1218\r\n"));
}

TEST(ControllerAnswer, AnEchoIsItsOwnFramesLetterAndValue) {
    EXPECT_FALSE(IsEchoOf("SC0046\r", "SC0045\r"));
    EXPECT_FALSE(IsEchoOf("SD0045\r", "SC0045\r"));
    // A stored text other than four digits is echoed in the controller's own digits.
    EXPECT_TRUE(IsEchoOf("SJ0000\r", "SJ-30\r"));
    EXPECT_TRUE(IsEchoOf("SD0012\r", "SD12\r"));
    EXPECT_FALSE(IsReplyTo("?C\r=0045\r\n", 'A'));
}

}  // namespace
