#pragma once

#include <QMutex>
#include <QString>
#include <QStringList>
#include <map>

// The progress line on stderr: one entry per port, redrawn in place. It shows only when it
// is switched on (stderr is a terminal and --quiet was not given); workers on several threads
// may update it at once.
class Progress {
public:
    // `stopFd`: readable once the program is asked to stop; a terminal that takes nothing
    // (Ctrl-S) then holds no drawing.
    Progress(bool enabled, QStringList ports, int stopFd = -1);

    void Update(const QString& port, const QString& text);
    // Takes the line away, before results or errors are printed.
    void Clear();

private:
    void Draw();

    bool m_bEnabled;
    QStringList m_ports;
    QMutex m_mutex;
    std::map<QString, QString> m_texts;
    bool m_bShown = false;
    int m_nStopFd;
};
