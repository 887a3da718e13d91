#pragma once

#include <QObject>
#include <QString>

#include "PseudoTerminal.h"

class SimDriver;

// Serves a simulated controller on a pseudo-terminal: the slave end is the "serial port" a
// configuration tool opens; the master end carries its bytes to the controller and the
// controller's bytes back. While nobody has the port open, what the controller sends is lost,
// and when the last program closes it, what the controller still had on its way goes too.
class PtyServer : public QObject {
    Q_OBJECT

public:
    explicit PtyServer(SimDriver& driver, QObject* parent = nullptr);
    ~PtyServer() override;

    // Opens the pseudo-terminal; false with `error` set when the system refuses.
    bool Start(QString* error);
    QString SlavePath() const { return m_terminal.SlavePath(); }
    // Whether another program has the slave open (true when that cannot be watched).
    bool Listening() const { return m_terminal.Listening(); }

private:
    SimDriver& m_driver;
    PseudoTerminal m_terminal;
};
