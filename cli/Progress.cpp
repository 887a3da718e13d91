#include "Progress.h"

#include "StandardStreams.h"

Progress::Progress(bool enabled, QStringList ports, int stopFd)
    : m_bEnabled(enabled), m_ports(std::move(ports)), m_nStopFd(stopFd) {}

void Progress::Update(const QString& port, const QString& text) {
    if (!m_bEnabled) return;
    const QMutexLocker lock(&m_mutex);
    m_texts[port] = text;
    Draw();
}

void Progress::Clear() {
    if (!m_bEnabled) return;
    const QMutexLocker lock(&m_mutex);
    if (m_bShown) WriteToStderrUnlessStopped("\r\x1b[K", m_nStopFd);
    m_bShown = false;
}

void Progress::Draw() {
    QStringList parts;
    for (const QString& port : m_ports) {
        const auto found = m_texts.find(port);
        if (found == m_texts.end()) continue;
        parts << (m_ports.size() > 1 ? port + QLatin1String(": ") : QString()) + found->second;
    }
    WriteToStderrUnlessStopped("\r\x1b[K" + parts.join(QLatin1String("  ")).toUtf8(), m_nStopFd);
    m_bShown = true;
}
