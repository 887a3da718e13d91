#include "ReadBackRecord.h"

void ReadBackRecord::OnQueryReply(char letter, int wire) {
    if (letter == 'V') m_bComplete = false;
    m_wire[letter] = wire;
}

void ReadBackRecord::Forget() {
    m_wire.clear();
    m_bComplete = false;
}

std::optional<int> ReadBackRecord::WireOf(char letter) const {
    const auto found = m_wire.find(letter);
    if (found == m_wire.end()) return std::nullopt;
    return found->second;
}
