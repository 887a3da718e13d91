#include "ParameterRestore.h"

#include <QStringList>

#include "BulkWriteChain.h"
#include "FileTexts.h"
#include "ParamTable.h"
#include "ParameterNames.h"
#include "ProtocolState.h"

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
