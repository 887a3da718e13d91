// The controller's answers cut from what arrived, one at a time, and matched with the frame
// that asked for them.
#include <gtest/gtest.h>

#include "ControllerAnswer.h"

namespace {

TEST(ControllerAnswer, InputIsCutIntoCompleteAnswers) {
    const struct {
        const char* name;
        QByteArray arrived;
        EchoEnd echoEnd;
        std::vector<QByteArray> answers;
        QByteArray left;  // what may still become an answer
    } cases[] = {
        {"a reply", "?C\r=0045\r\n", EchoEnd::AtLineEnd, {"?C\r=0045\r\n"}, ""},
        {"nine bytes of a reply", "?C\r=0045\r", EchoEnd::AtLineEnd, {}, "?C\r=0045\r"},
        {"a stale copy and the awaited reply in one read",
         "?C\r=0045\r\n?A\r=0015\r\n", EchoEnd::AtLineEnd,
         {"?C\r=0045\r\n", "?A\r=0015\r\n"}, ""},
        {"an echo and its line end", "SC0045\r\n", EchoEnd::AtLineEnd, {"SC0045\r"}, ""},
        {"an echo taken only after its line end", "S00420\r", EchoEnd::AfterLineEnd, {},
         "S00420\r"},
        {"an eight-byte echo", "S00420\r\n", EchoEnd::AfterLineEnd, {"S00420\r"}, "\n"},
        {"a short stored text's echo", "SD12\r", EchoEnd::AtLineEnd, {"SD12\r"}, ""},
        {"noise, a live frame and an echo", "\x7f\x01MSDA0123456789\r\nSQ0175\r\n",
         EchoEnd::AtLineEnd, {"SQ0175\r"}, ""},
        {"a question mark that begins no reply", "?xx?V\r=1218\r\n", EchoEnd::AtLineEnd,
         {"?V\r=1218\r\n"}, ""},
    };
    for (const auto& c : cases) {
        QByteArray buffer = c.arrived;
        std::vector<QByteArray> answers;
        while (const auto answer = CutAnswer(buffer, c.echoEnd)) answers.push_back(*answer);
        EXPECT_EQ(answers, c.answers) << c.name;
        // Line ends left over are dropped with the next answer's cut.
        if (!c.left.isEmpty() && c.left != "\n") EXPECT_EQ(buffer, c.left) << c.name;
    }
}

TEST(ControllerAnswer, AnEchoIsItsOwnFramesLetterAndValue) {
    EXPECT_TRUE(IsEchoOf("SC0045\r", "SC0045\r"));
    EXPECT_FALSE(IsEchoOf("SC0046\r", "SC0045\r"));
    EXPECT_FALSE(IsEchoOf("SD0045\r", "SC0045\r"));
    EXPECT_FALSE(IsEchoOf("?C\r=0045\r\n", "SC0045\r"));
    // A stored text other than four digits is echoed in the controller's own digits.
    EXPECT_TRUE(IsEchoOf("SJ0000\r", "SJ-30\r"));
    EXPECT_TRUE(IsEchoOf("SD0012\r", "SD12\r"));
    EXPECT_TRUE(IsReplyTo("?C\r=0045\r\n", 'C'));
    EXPECT_FALSE(IsReplyTo("?C\r=0045\r\n", 'A'));
    EXPECT_EQ(ReplyValue("?C\r=0045\r\n"), 45);
}

}  // namespace
