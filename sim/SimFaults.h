#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <set>
#include <vector>

// The named failure modes of the simulated controller. Each is armed on demand and consulted
// by the controller as it answers; the counted ones are used up as they strike.
//
// A reply is named by the first two characters of the frame it answers: "?E" for the query of
// E, "SC" for a set of C, "Sj" for a reference-set select, "?W" for the device tag inquiry,
// "UP" for the upgrade start.
class SimFaults {
public:
    static constexpr int kAlways = -1;

    // No reply to the frames named `key`, the first `times` times or always.
    void DropReply(const QByteArray& key, int times = kAlways);
    // The next `times` queries of `letter` are answered with 0000 (the stored value stays).
    void AnswerZero(char letter, int times);
    // `count` bytes of line noise before the reply to `key` (every reply when `key` is empty).
    void AddNoise(int count, const QByteArray& key = {}, int times = kAlways);
    // The boot loader's answer to packet `packet` carries that packet's own number (one too low).
    void BadAck(quint32 packet);
    // The boot loader does not answer packet `packet`.
    void DropPacketAnswer(quint32 packet);
    // The checksum in the answer to the end packet is one more than the sum received.
    void BadSum(bool on = true) { m_bBadSum = on; }
    // The controller falls silent for good after it has sent `bytes` bytes.
    void SilentAfter(qint64 bytes) { m_nSilentAfter = bytes; }

    bool TakeDrop(const QByteArray& key);
    bool TakeZero(char letter);
    int TakeNoise(const QByteArray& key);
    bool IsBadAck(quint32 packet) const { return m_badAcks.count(packet) != 0; }
    bool IsPacketDropped(quint32 packet) const { return m_droppedPackets.count(packet) != 0; }
    bool IsBadSum() const { return m_bBadSum; }
    // Negative when the controller never falls silent.
    qint64 SilentAfter() const { return m_nSilentAfter; }

private:
    struct Rule {
        QByteArray key;
        int remaining;  // kAlways, or how many more times the rule strikes
        int count;      // noise bytes; unused for the other rules
    };
    static Rule* Match(std::vector<Rule>& rules, const QByteArray& key);
    static void Use(Rule& rule);

    std::vector<Rule> m_drops;
    std::vector<Rule> m_zeros;
    std::vector<Rule> m_noise;
    std::set<quint32> m_badAcks;
    std::set<quint32> m_droppedPackets;
    bool m_bBadSum = false;
    qint64 m_nSilentAfter = -1;
};
