// The controller's answers cut from what arrived and matched with the frame that asked for them:
// each kind complete once its key and length are there, the line end taken only when it came.
// (Answers split across reads or sharing one read are covered through the line in the session.)
#include <gtest/gtest.h>

#include "ControllerAnswer.h"

namespace {

TEST(ControllerAnswer, EachKindIsCompleteAtItsKeyAndLengthWithTheLineEndThatCame) {
    const struct Row {
        QByteArray buffer;
        std::optional<QByteArray> answer;  // nullopt: not complete yet
        QByteArray left;                   // what stays in the buffer
        QByteArray dropped;
    } rows[] = {
        {"?V\r=1218\r\n", "?V\r=1218\r\n", "", ""},
        {"?V\r=1218\r", std::nullopt, "?V\r=1218\r", ""},
        {"xx?V\r=1218\r\n?C", "?V\r=1218\r\n", "?C", "xx"},
        {"?xx?V\r=1218\r\n", "?V\r=1218\r\n", "", "?xx"},
        {"?Q\r?V\r=1218\r\n", "?V\r=1218\r\n", "", "?Q\r"},  // a reply cut short gives way
        {"?Q\r=0?V\r", std::nullopt, "?V\r", "?Q\r=0"},
        {"SC0045", "SC0045", "", ""},
        {"SC0045\r", "SC0045\r", "", ""},
        {"SC0045\r\nSA0002\r\n", "SC0045\r\n", "SA0002\r\n", ""},
        {"SC004", std::nullopt, "SC004", ""},
        {"SD12\r", "SD12\r", "", ""},
        {"SD12\n", "SD12\n", "", ""},
        {"\r\nSC0045", "SC0045", "", "\r\n"},
        {"Sj000", "Sj000", "", ""},
        {"Sj00", std::nullopt, "Sj00", ""},
        {"Sj0002\r\n", "Sj0002\r\n", "", ""},
        {"Sj0002\r\n?V", "Sj0002\r\n", "?V", ""},
        {"Sj1234\r", "Sj1234\r", "", ""},
        {"SCabcdefgh?V\r=1218\r\n", "?V\r=1218\r\n", "", "SCabcdefgh"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.buffer.toStdString());
        QByteArray buffer = row.buffer, dropped;
        EXPECT_EQ(CutAnswer(buffer, &dropped), row.answer);
        EXPECT_EQ(buffer, row.left);
        EXPECT_EQ(dropped, row.dropped);
    }
}

TEST(ControllerAnswer, AnEchoIsItsOwnFramesLetterWhateverValueItCarries) {
    EXPECT_TRUE(IsEchoOf("SC0046\r", "SC0045\r"));
    EXPECT_TRUE(EchoCarriesOtherValue("SC0046\r", "SC0045\r"));
    EXPECT_FALSE(EchoCarriesOtherValue("SC0045", "SC0045\r"));
    EXPECT_FALSE(EchoCarriesOtherValue("SD12\r", "SD0012\r"));
    EXPECT_FALSE(IsEchoOf("SD0045\r", "SC0045\r"));
    // A stored text other than digits is echoed in the controller's own digits.
    EXPECT_TRUE(IsEchoOf("SJ0000\r", "SJ-30\r"));
    EXPECT_FALSE(EchoCarriesOtherValue("SJ0000\r", "SJ-30\r"));
    // The reference-set echo: "Sj0" and five bytes, its digits compared as far as they came.
    EXPECT_TRUE(IsReferenceSetEcho("Sj000"));
    EXPECT_FALSE(IsReferenceSetEcho("Sj00"));
    EXPECT_FALSE(EchoCarriesOtherValue("Sj000", "Sj0002\r"));
    EXPECT_TRUE(EchoCarriesOtherValue("Sj0003", "Sj0002\r"));
    EXPECT_FALSE(IsReplyTo("?C\r=0045\r\n", 'A'));
    EXPECT_TRUE(IsReplyTo("?C\r=0045\r\n", 'C'));
}

}  // namespace
