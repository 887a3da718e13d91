#include "Progress.h"

#include <cstdio>

Progress::Progress(bool enabled, QStringList ports)
    : m_bEnabled(enabled), m_ports(std::move(ports)) {}

void Progress::Update(const QString& port, const QString& text) {
    if (!m_bEnabled) return;
    const QMutexLocker lock(&m_mutex);
    m_texts[port] = text;
    Draw();
}

void Progress::Clear() {
    if (!m_bEnabled) return;
    const QMutexLocker lock(&m_mutex);
    if (m_bShown) std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    m_bShown = false;
}

void Progress::Draw() {
    QStringList parts;
    for (const QString& port : m_ports) {
        const auto found = m_texts.find(port);
        if (found == m_texts.end()) continue;
        parts << (m_ports.size() > 1 ? port + QLatin1String(": ") : QString()) + found->second;
    }
    std::fprintf(stderr, "\r\x1b[K%s", parts.join(QLatin1String("  ")).toUtf8().constData());
    std::fflush(stderr);
    m_bShown = true;
}
