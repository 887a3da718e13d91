#include "FrameLog.h"

#include <QDateTime>
#include <QtEndian>

#include "PrintableBytes.h"

bool FrameLog::Open(const QString& path, QString* error) {
    m_file.setFileName(path);
    if (m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) return true;
    *error = QStringLiteral("cannot write the log %1: %2").arg(path, m_file.errorString());
    return false;
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
    if (!m_file.isOpen()) return;
    const QString stamp = QDateTime::currentDateTime().toString(Qt::ISODateWithMs);
    m_file.write((stamp + QLatin1Char(' ') + text + QLatin1Char('\n')).toUtf8());
    m_file.flush();
}
