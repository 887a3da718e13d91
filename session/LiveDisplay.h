#pragma once

#include "Conversation.h"

// The live display (receive mode 10): "S~0001\r" and then the controller's live frames, parsed as
// they come, until another conversation takes the line. It waits for no answer and never ends by
// itself; a reverse mask sent meanwhile leaves it running.
class LiveDisplay : public Conversation {
public:
    // Resumed after a reverse re-read, which has sent the start already.
    explicit LiveDisplay(bool resumed = false) : m_resumed(resumed) {}
    Chain Kind() const override { return Chain::LiveDisplay; }
    RxMode ReceiveMode() const override { return RxMode::Live; }
    void Start(ConversationLine& line) override;
    Answered Take(const QByteArray&, ConversationLine&) override { return Answered::NotMine; }
    char Awaited() const override { return '~'; }
    std::chrono::milliseconds SilenceLimit() const override { return {}; }

private:
    bool m_resumed;
};
