#include "ParameterCache.h"

#include <algorithm>

#include "ParamTable.h"

void ParameterCache::StoreSent(char letter, int shown) { StoreInCache(letter, shown, m_slots); }

void ParameterCache::StoreRead(char letter, int shown) {
    StoreInCache(letter, shown, m_slots);
    // A watcher may begin another watch while it is told; that one hears the next value.
    ++m_telling;
    const std::size_t count = m_watches.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (m_watches[i].letter != letter || m_watches[i].owner.isNull()) continue;
        const Watcher watcher = m_watches[i].watcher;
        watcher(shown);
    }
    --m_telling;
}

void ParameterCache::Watch(char letter, const QObject* owner, Watcher watcher) const {
    // The watches of controls that are gone are dropped, but never while watchers are told.
    if (m_telling == 0)
        std::erase_if(m_watches, [](const Watch_& watch) { return watch.owner.isNull(); });
    m_watches.push_back({letter, owner, std::move(watcher)});
}
