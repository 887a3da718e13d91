#pragma once

#include <QByteArray>
#include <optional>

#include "Conversation.h"

// Queries asked one after the other, each once the reply to the one before has been taken:
// only the reply to the query asked moves the read on (a repeated copy or a late answer to a
// query asked again would fork it). A reply of zero may be one the controller was not ready to
// give: it is asked again, up to three times in a row.
class QueryRead : public Conversation {
public:
    static constexpr int kFullRetries = 3;

    RxMode ReceiveMode() const override { return RxMode::ReadBack; }
    Answered Take(const QByteArray& answer, ConversationLine& line) override;
    char Awaited() const override { return m_awaited; }
    bool GoesOnThroughPlainSends() const override { return true; }

protected:
    void Ask(char letter, ConversationLine& line);
    // The query after the reply to `letter`; nullopt when that reply was the last.
    virtual std::optional<char> NextAfter(char letter) = 0;
    // The last reply has been taken (before the end is told).
    virtual void Completed(ConversationLine& /*line*/) {}

    bool m_askedAgain = false;  // the awaited query has been asked again after a silence

private:
    char m_awaited = 0;
    int m_retries = kFullRetries;
};

// A read-back chain that the line's silence ends: a query whose reply has not come within a
// second is asked once more; when that stays unanswered too, the read ends there.
class TimedQueryRead : public QueryRead {
public:
    static constexpr std::chrono::milliseconds kReplyTimeout{1000};

    std::chrono::milliseconds SilenceLimit() const override { return kReplyTimeout; }
    Answered OnSilence(ConversationLine& line) override;
    void AfterNoAnswer(ConversationLine& line) override;
};

// "?V\r" and the 48 queries after it, up to "?j": everything the controller holds. Afresh (a
// port opened, a refresh), the receive state is emptied first; after a restore or a reference set
// it follows at once.
class FullReadBack : public TimedQueryRead {
public:
    explicit FullReadBack(bool afresh) : m_afresh(afresh) {}
    Chain Kind() const override { return Chain::ReadBack; }
    void Start(ConversationLine& line) override;

protected:
    std::optional<char> NextAfter(char letter) override;
    void Completed(ConversationLine& line) override;

private:
    bool m_afresh;
};

// "?k\r" .. "?z\r": the custom frame's geometry, for the frame editor.
class FrameRead : public TimedQueryRead {
public:
    Chain Kind() const override { return Chain::FrameRead; }
    void Start(ConversationLine& line) override;

protected:
    std::optional<char> NextAfter(char letter) override;
};

// The queries of chosen letters only (vexactl's get); replies for any other letter are
// dropped. The caller times it.
class ChosenRead : public QueryRead {
public:
    explicit ChosenRead(QByteArray letters) : m_letters(std::move(letters)) {}
    Chain Kind() const override { return Chain::ChosenRead; }
    void Start(ConversationLine& line) override;
    std::chrono::milliseconds SilenceLimit() const override { return {}; }

protected:
    std::optional<char> NextAfter(char letter) override;
    void Completed(ConversationLine& line) override;

private:
    QByteArray m_letters;   // not empty
    qsizetype m_asked = 0;  // the position of the letter asked
};
