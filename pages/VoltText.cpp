#include "VoltText.h"

#include <QRegularExpression>
#include <cstdlib>

QString VoltText(int hundredths) {
    const QString sign = hundredths < 0 ? QStringLiteral("-") : QString();
    const int magnitude = std::abs(hundredths);
    return sign + QStringLiteral("%1.%2 V")
                      .arg(magnitude / 100)
                      .arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

std::optional<int> ParseVoltage(const QString& typed) {
    static const QRegularExpression kVoltage(
        QStringLiteral("^\\s*(-?)(\\d+)(?:[.,](\\d{0,2}))?\\s*([vV])?\\s*$"));
    const QRegularExpressionMatch match = kVoltage.match(typed);
    if (!match.hasMatch()) return std::nullopt;
    const bool inVolts = match.capturedLength(4) > 0 || match.capturedStart(3) >= 0;
    const int sign = match.capturedLength(1) > 0 ? -1 : 1;
    bool ok = false;
    const qlonglong whole = match.captured(2).toLongLong(&ok);
    if (!ok || whole > 1000000) return std::nullopt;
    if (!inVolts) return sign * int(whole);
    const QString decimals = match.captured(3).leftJustified(2, QLatin1Char('0'));
    return sign * int(whole * 100 + decimals.toInt());
}
