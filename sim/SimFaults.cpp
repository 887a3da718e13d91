#include "SimFaults.h"

void SimFaults::DropReply(const QByteArray& key, int times) {
    if (times != 0) m_drops.push_back({key, times, 0});
}

void SimFaults::AnswerZero(char letter, int times) {
    if (times != 0) m_zeros.push_back({QByteArray(1, letter), times, 0});
}

void SimFaults::AddNoise(int count, const QByteArray& key, int times) {
    if (count > 0 && times != 0) m_noise.push_back({key, times, count});
}

void SimFaults::BadAck(quint32 packet) { m_badAcks.insert(packet); }

void SimFaults::DropPacketAnswer(quint32 packet) { m_droppedPackets.insert(packet); }

SimFaults::Rule* SimFaults::Match(std::vector<Rule>& rules, const QByteArray& key) {
    for (Rule& rule : rules) {
        if (rule.remaining != 0 && (rule.key.isEmpty() || rule.key == key)) return &rule;
    }
    return nullptr;
}

void SimFaults::Use(Rule& rule) {
    if (rule.remaining > 0) --rule.remaining;
}

bool SimFaults::TakeDrop(const QByteArray& key) {
    Rule* rule = Match(m_drops, key);
    if (!rule) return false;
    Use(*rule);
    return true;
}

bool SimFaults::TakeZero(char letter) {
    Rule* rule = Match(m_zeros, QByteArray(1, letter));
    if (!rule) return false;
    Use(*rule);
    return true;
}

int SimFaults::TakeNoise(const QByteArray& key) {
    int total = 0;
    for (Rule& rule : m_noise) {
        if (rule.remaining == 0 || (!rule.key.isEmpty() && rule.key != key)) continue;
        Use(rule);
        total += rule.count;
    }
    return total;
}
