#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

class QSocketNotifier;

// A pseudo-terminal served from its master end: the slave end is the "serial port" another
// program opens by its path (raw, 8 bits clean, 115200 baud). Input is event-driven on the
// master.
//
// It keeps a slave descriptor of its own, so the master never sees a hang-up when a program
// closes the port and the next open works. It watches the slave for opens and closes by
// others: while nobody has the port open, what is written to it is lost, as on a real line,
// instead of piling up for the next program that opens it.
class PseudoTerminal : public QObject {
    Q_OBJECT

public:
    explicit PseudoTerminal(QObject* parent = nullptr);
    ~PseudoTerminal() override;

    // Opens the pseudo-terminal; false with the system's words in `reason` when it refuses.
    bool Open(QString* reason);
    QString SlavePath() const { return m_slavePath; }
    // Whether another program has the slave open (true when that cannot be watched).
    bool Listening() const { return m_nListeners != 0; }
    // Bytes for the program that has the port open; dropped while none has, and what its
    // full buffer does not take is lost, as on a serial line whose receiver has overrun.
    void Write(const QByteArray& bytes);

    // The bytes a program wrote to the port, as they come.
    std::function<void(const QByteArray&)> onReceived;
    // The last program that had the port open closed it; told before the port's unread
    // input is thrown away.
    std::function<void()> onClosedByAll;

private:
    void ReadMaster();
    void ReadWatch();
    void WatchSlave();

    int m_master = -1;
    int m_slave = -1;
    int m_watch = -1;
    int m_nListeners = -1;  // -1: unknown, treated as listening
    QString m_slavePath;
    QSocketNotifier* m_masterNotifier = nullptr;
    QSocketNotifier* m_watchNotifier = nullptr;
};
