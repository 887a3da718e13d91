#pragma once

#include <array>
#include <chrono>

#include "Conversation.h"

// The set commands of receive mode 15: each is sent once the echo of the one before has come,
// 50 ms after it, and the echo of the last ends the chain. Every echo is awaited for a second.
// The line stays in mode 15 afterwards (a calibration excepted), where the echo of a reverse
// mask asks the mask back.
class EchoedSetChain : public Conversation {
public:
    static constexpr std::chrono::milliseconds kEchoTimeout{1000};

    RxMode ReceiveMode() const override { return RxMode::SpecialSet; }
    void Start(ConversationLine& line) override;
    Answered Take(const QByteArray& answer, ConversationLine& line) override;
    char Awaited() const override { return m_awaited; }
    std::chrono::milliseconds SilenceLimit() const override { return kEchoTimeout; }
    void AfterDone(ConversationLine& line) override;

protected:
    // The frame that follows the echo of `echoed`; empty after the last.
    virtual QByteArray FrameAfter(char echoed, ConversationLine& line) const = 0;
    virtual QByteArray FirstFrame() const = 0;
    // The last echo has come (before the end is told).
    virtual void Completed(ConversationLine& /*line*/) {}

private:
    QByteArray m_sent;  // the frame whose echo it waits for
    char m_awaited = 0;
    char m_lastEchoed = 0;
};

// One set command whose echo ends it: the declination ("SQ", in the firmware's form) or the
// propeller directions of the custom frame ("Sz").
class SingleEchoedSet : public EchoedSetChain {
public:
    static SingleEchoedSet Declination(int wire) { return {Chain::Declination, 'Q', wire}; }
    static SingleEchoedSet Directions(int mask) { return {Chain::Directions, 'z', mask}; }
    Chain Kind() const override { return m_kind; }

protected:
    QByteArray FirstFrame() const override { return m_frame; }
    QByteArray FrameAfter(char, ConversationLine&) const override { return {}; }

private:
    SingleEchoedSet(Chain kind, char letter, int value);

    Chain m_kind;
    QByteArray m_frame;
};

// The battery calibration: "S0" with the first cell, then each cell tap with the voltage up to
// it (the running sum of the cells) up to "S3"; afterwards the line is back in mode 0.
class Calibration : public EchoedSetChain {
public:
    explicit Calibration(const std::array<int, 4>& cells) : m_cells(cells) {}
    Chain Kind() const override { return Chain::Calibration; }

protected:
    QByteArray FirstFrame() const override;
    QByteArray FrameAfter(char echoed, ConversationLine& line) const override;
    void Completed(ConversationLine& line) override { line.BackToIdle(); }

private:
    std::array<int, 4> m_cells;
};

// The custom frame's record: "Sk" with the axis count, then the extents and the motor
// coordinates up to "Sy". Once "Sy" is echoed the cache keeps the record as the controller's.
class FrameSave : public EchoedSetChain {
public:
    explicit FrameSave(const std::array<int, 15>& record) : m_record(record) {}
    Chain Kind() const override { return Chain::FrameSave; }

protected:
    QByteArray FirstFrame() const override;
    QByteArray FrameAfter(char echoed, ConversationLine& line) const override;
    void Completed(ConversationLine& line) override;

private:
    std::array<int, 15> m_record;
};
