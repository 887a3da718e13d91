#pragma once

#include <QByteArrayView>
#include <cstddef>
#include <cstdint>

// Reads a fuzzer's input front to back; past its end every read gives zeros and empty views,
// so a target never has to check the length itself.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size)
        : m_data(reinterpret_cast<const char*>(data)), m_size(size) {}

    bool AtEnd() const { return m_at >= m_size; }
    uint8_t Byte() { return AtEnd() ? 0 : static_cast<uint8_t>(m_data[m_at++]); }
    // Up to `count` bytes, fewer at the end.
    QByteArrayView Bytes(size_t count) {
        const size_t n = AtEnd() ? 0 : std::min(count, m_size - m_at);
        const QByteArrayView bytes(m_data + m_at, static_cast<qsizetype>(n));
        m_at += n;
        return bytes;
    }
    QByteArrayView Rest() { return Bytes(m_size); }

private:
    const char* m_data;
    size_t m_size;
    size_t m_at = 0;
};

// Ends the run as a finding when an invariant of the code under test does not hold.
#define FUZZ_CHECK(condition)               \
    do {                                    \
        if (!(condition)) __builtin_trap(); \
    } while (0)
