#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;
class SimDriver;

// Serves a simulated controller on a pseudo-terminal: the slave end is the "serial port" a
// configuration tool opens; the master end carries its bytes to the controller and the
// controller's bytes back. Input is event-driven on the master.
//
// The server keeps a slave descriptor of its own, so the master never sees a hang-up when
// the tool closes the port and the next open works. It watches the slave for opens and closes
// by others: while nobody has the port open, what the controller sends is lost, as on a real
// line, instead of piling up for the next program that opens it.
class PtyServer : public QObject {
    Q_OBJECT

public:
    explicit PtyServer(SimDriver& driver, QObject* parent = nullptr);
    ~PtyServer() override;

    // Opens the pseudo-terminal; false with `error` set when the system refuses.
    bool Start(QString* error);
    QString SlavePath() const { return m_slavePath; }
    // Whether another program has the slave open (true when that cannot be watched).
    bool Listening() const { return m_nListeners != 0; }

private:
    void ReadMaster();
    void WriteMaster(const QByteArray& bytes);
    void ReadWatch();
    void WatchSlave();

    SimDriver& m_driver;
    int m_master = -1;
    int m_slave = -1;
    int m_watch = -1;
    int m_nListeners = -1;  // -1: unknown, treated as listening
    QString m_slavePath;
    QSocketNotifier* m_masterNotifier = nullptr;
    QSocketNotifier* m_watchNotifier = nullptr;
};
