#pragma once

#include "Conversation.h"

// A reverse mask (N or O) echoed while the line was in mode 15 is asked back (mode 20), 50 ms
// after its echo; its reply is stored (the low eight bits) and the live display resumes.
class ReverseReread : public Conversation {
public:
    static constexpr std::chrono::milliseconds kReplyTimeout{1000};

    explicit ReverseReread(char letter) : m_letter(letter) {}
    Chain Kind() const override { return Chain::ReverseReread; }
    RxMode ReceiveMode() const override { return RxMode::ReverseReread; }
    void Start(ConversationLine& line) override;
    Answered Take(const QByteArray& answer, ConversationLine& line) override;
    char Awaited() const override { return m_letter; }
    std::chrono::milliseconds SilenceLimit() const override { return kReplyTimeout; }
    void AfterDone(ConversationLine& line) override;

private:
    char m_letter;
};
