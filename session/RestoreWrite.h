#pragma once

#include "Conversation.h"

// The bulk write of a checked parameter file (receive mode 7): the announcement "Sj0004\r" and
// at once the first value, then each value from the restore table once the echo of the one
// before has come (50 ms after it), up to "SO". Not every controller echoes the announcement,
// and nothing waits for it. Each echo is awaited for 2 s; after the last the read-back starts,
// and it names the values the controller did not take.
class RestoreWrite : public Conversation {
public:
    static constexpr std::chrono::milliseconds kEchoTimeout{2000};

    Chain Kind() const override { return Chain::Restore; }
    RxMode ReceiveMode() const override { return RxMode::BulkWrite; }
    void Start(ConversationLine& line) override;
    Answered Take(const QByteArray& answer, ConversationLine& line) override;
    char Awaited() const override { return m_awaited; }
    std::chrono::milliseconds SilenceLimit() const override { return kEchoTimeout; }
    void AfterDone(ConversationLine& line) override;

private:
    void SendValue(char letter, ConversationLine& line);

    QByteArray m_sent;  // the value whose echo it waits for
    char m_awaited = 0;
};
