#pragma once

#include "Conversation.h"

// "Sj000n\r": the controller loads its reference set n and echoes the choice ("Sj0" and five
// bytes at least) within a second; 10 ms after the echo the read-back of the loaded set starts.
class ReferenceSetChoice : public Conversation {
public:
    static constexpr std::chrono::milliseconds kEchoTimeout{1000};

    explicit ReferenceSetChoice(int set) : m_set(set) {}
    Chain Kind() const override { return Chain::ReferenceSet; }
    RxMode ReceiveMode() const override { return RxMode::ReadBack; }
    void Start(ConversationLine& line) override;
    Answered Take(const QByteArray& answer, ConversationLine& line) override;
    char Awaited() const override { return 'j'; }
    std::chrono::milliseconds SilenceLimit() const override { return kEchoTimeout; }
    void AfterDone(ConversationLine& line) override;

private:
    int m_set;
};

// A set command whose echo the caller waits for (vexactl's set): the echo of its letter ends it,
// whatever value it carries. The caller times it.
class AwaitedEcho : public Conversation {
public:
    AwaitedEcho(char letter, int wire);
    Chain Kind() const override { return Chain::AwaitedEcho; }
    RxMode ReceiveMode() const override { return RxMode::ReadBack; }
    void Start(ConversationLine& line) override;
    Answered Take(const QByteArray& answer, ConversationLine& line) override;
    char Awaited() const override { return m_frame[1]; }
    std::chrono::milliseconds SilenceLimit() const override { return {}; }

private:
    QByteArray m_frame;
};
