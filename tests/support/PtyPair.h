#pragma once

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <QByteArray>
#include <QString>

// A pseudo-terminal for tests: the program opens the slave by its path (/dev/pts/N) as it
// would a USB adapter; the test plays the far end on the master. The test also keeps a
// descriptor of the slave, to read back the line settings the program applied.
class PtyPair {
public:
    PtyPair() {
        char name[256] = {};
        if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) return;
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_path = QString::fromLocal8Bit(name);
    }
    ~PtyPair() {
        CloseMaster();
        if (m_slave >= 0) ::close(m_slave);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool IsValid() const { return !m_path.isEmpty(); }
    const QString& Path() const { return m_path; }
    int Slave() const { return m_slave; }
    int Master() const { return m_master; }

    // What the program has sent so far (never blocks).
    QByteArray ReadFar() {
        QByteArray all;
        char buffer[4096];
        for (ssize_t n; (n = ::read(m_master, buffer, sizeof buffer)) > 0;) all.append(buffer, n);
        return all;
    }
    void WriteFar(const QByteArray& bytes) { (void)!::write(m_master, bytes.data(), bytes.size()); }
    // The adapter is pulled: the slave is hung up.
    void CloseMaster() {
        if (m_master >= 0) ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
};
