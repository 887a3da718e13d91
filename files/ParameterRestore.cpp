#include "ParameterRestore.h"

#include <QStringList>

#include "BulkWriteChain.h"
#include "FileTexts.h"
#include "ParamTable.h"
#include "ParameterNames.h"
#include "ProtocolState.h"
#include "ReceiveDispatcher.h"

namespace {

QByteArray RestoreText(int index, int value) {
    if (KindOfParameterLine(index) == ParameterLineKind::Setting && value >= 0)
        return QByteArray::number(value).rightJustified(4, '0');
    return QByteArray::number(value);
}

}  // namespace

void FillRestoreTable(const ParameterValues& values, ProtocolState& state) {
    state.m_strRestoreText.fill({});
    state.m_nRestoreValue.fill(0);
    for (int index = 0; index < kParameterCount; ++index) {
        state.m_strRestoreText[index + 1] = RestoreText(index, values[index]);
        if (KindOfParameterLine(index) == ParameterLineKind::Flag)
            state.m_nRestoreValue[index + 1] = values[index];
    }
}

std::string LettersNotRestored(const ParameterValues& restored, std::span<const int> cache) {
    ParameterValues held{};
    for (int index = 0; index < kParameterCount && index < int(cache.size()); ++index)
        held[index] = cache[index];
    ProtocolState sent;
    ProtocolState read;
    FillRestoreTable(restored, sent);
    FillRestoreTable(held, read);
    std::string letters;
    for (char letter : kBulkWriteOrder)
        if (BulkWriteFrame(letter, sent) != BulkWriteFrame(letter, read)) letters += letter;
    return letters;
}

QString RestoreLinkName(char letter, bool english) {
    if (letter == kBulkWriteAnnouncementLetter) return texts::kAnnouncementName.In(english);
    const std::optional<int> slot = CacheSlotOf(letter);
    if (!slot) return QString(QLatin1Char(letter));
    // Slot n is written on line n + 2 of the file, after the port line.
    const int firstLine = *slot + 2;
    const int lines = std::max(1, BitCountOf(letter));
    if (lines > 1)
        return texts::kFlagsName.In(english)
            .arg(QLatin1Char(letter))
            .arg(firstLine)
            .arg(firstLine + lines - 1);
    return texts::kParameterName.In(english)
        .arg(QLatin1Char(letter))
        .arg(firstLine)
        .arg(ParameterNames().at(*slot));
}

CParameterRestore::CParameterRestore(ProtocolState& state, CReceiveDispatcher& dispatcher,
                                     IClock& clock, IRestoreListener& listener)
    : m_state(state), m_dispatcher(dispatcher), m_listener(listener), m_timer(clock) {
    m_timer.onExpired = [this] { OnEchoMissing(); };
}

void CParameterRestore::Start(const ParameterValues& values) {
    FillRestoreTable(values, m_state);
    m_dispatcher.StartBulkWrite();
}

void CParameterRestore::OnLinkSent(char letter) {
    m_cAwaited = letter;
    m_timer.Start(kEchoTimeout);
}

void CParameterRestore::OnFinished() {
    if (!m_timer.IsActive()) return;
    m_timer.Stop();
    m_listener.OnRestoreFinished();
}

void CParameterRestore::OnEchoMissing() {
    // Another sender may have taken the line over meanwhile; only a bulk write still waiting
    // is ended here.
    if (m_state.m_nRxMode == ProtocolState::kModeBulkWrite) {
        m_state.m_nRxMode = ProtocolState::kModeReadBack;
        m_state.m_strRxBuf.clear();
        m_state.m_nRxCount = 0;
    }
    m_listener.OnRestoreStopped(m_cAwaited);
}
