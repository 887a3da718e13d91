#include "FrameLog.h"

#include <QtEndian>

#include "NativeName.h"
#include "PrintableBytes.h"

bool FrameLog::Open(const QString& path, QString* error) {
    const AppendLog log(NativeName(path));
    if (const std::optional<QString> problem = log.Check()) {
        *error = QStringLiteral("cannot write the log %1: %2").arg(path, *problem);
        return false;
    }
    m_log.emplace(log);
    return true;
}

void FrameLog::Frame(const QByteArray& frame, bool packet) {
    Line(QStringLiteral("rx ") + Describe(frame, packet));
}

void FrameLog::Event(const QString& what) { Line(QStringLiteral("-- ") + what); }

QString FrameLog::Describe(const QByteArray& frame, bool packet) {
    if (packet && frame.size() >= 8)
        return QStringLiteral("packet type 0x%1 number %2 (%3 bytes)")
            .arg(static_cast<quint8>(frame[0]), 2, 16, QLatin1Char('0'))
            .arg(qFromLittleEndian<quint32>(frame.constData() + 4))
            .arg(frame.size());
    return PrintableBytes(frame);
}

void FrameLog::Line(const QString& text) {
    if (m_log) m_log->Append(text.toUtf8());
}
