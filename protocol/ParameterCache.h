#pragma once

#include <QObject>
#include <QPointer>
#include <array>
#include <functional>
#include <span>
#include <vector>

// The values the controller holds, as the program last knew them: one slot per value (a
// bit-field letter spreads over one slot per bit), in the read-back's form. A control that shows
// a letter watches it: it is told every value the controller reports for that letter (a
// read-back, the frame read, a reverse re-read), also for letters that keep no slot (the axis
// count k). A value the program sent is stored without telling anyone: the control that sent it
// shows it already.
//
// A copy carries the values only; the watchers stay with the cache they watched.
class ParameterCache {
public:
    static constexpr int kSlots = 200;
    using Watcher = std::function<void(int shown)>;

    ParameterCache() = default;
    ParameterCache(const ParameterCache& other) : m_slots(other.m_slots) {}
    ParameterCache& operator=(const ParameterCache& other) {
        m_slots = other.m_slots;
        return *this;
    }

    bool operator==(const ParameterCache& other) const { return m_slots == other.m_slots; }
    int operator[](std::size_t slot) const { return m_slots[slot]; }
    int& operator[](std::size_t slot) { return m_slots[slot]; }
    std::size_t size() const { return m_slots.size(); }
    auto begin() const { return m_slots.begin(); }
    auto end() const { return m_slots.end(); }
    auto begin() { return m_slots.begin(); }
    auto end() { return m_slots.end(); }
    void fill(int value) { m_slots.fill(value); }
    std::span<const int> subspan(std::size_t offset, std::size_t count) const {
        return std::span<const int>(m_slots).subspan(offset, count);
    }
    operator std::span<const int>() const { return m_slots; }
    operator std::span<int>() { return m_slots; }

    // A value the program sent, kept as the controller keeps it; nobody is told.
    void StoreSent(char letter, int shown);
    // A value the controller reported: stored (when the letter has a slot), then every watcher
    // of the letter is told, in the order they began to watch.
    void StoreRead(char letter, int shown);

    // `watcher` hears each value the controller reports for `letter` for as long as `owner`
    // lives, as the letter's control shows it: the decoded value for ranged and offset letters,
    // the list entry number (1-based) for A, B and P, the bit mask for the bit fields (M, N, O,
    // the switch rows a..i and =, z); j the reference-set index, k the axis count, l..y the
    // frame's extents and coordinates. H and I are never reported. Watching does not change the
    // values, so a read-only cache may be watched.
    void Watch(char letter, const QObject* owner, Watcher watcher) const;

private:
    struct Watch_ {
        char letter;
        QPointer<const QObject> owner;
        Watcher watcher;
    };

    std::array<int, kSlots> m_slots{};
    mutable std::vector<Watch_> m_watches;
    mutable int m_telling = 0;  // watchers are being told: the list is only appended to
};
