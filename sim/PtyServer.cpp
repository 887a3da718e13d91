#include "PtyServer.h"

#include "SimDriver.h"

PtyServer::PtyServer(SimDriver& driver, QObject* parent) : QObject(parent), m_driver(driver) {}

PtyServer::~PtyServer() { m_driver.onBytes = nullptr; }

bool PtyServer::Start(QString* error) {
    QString reason;
    if (!m_terminal.Open(&reason)) {
        *error = QStringLiteral("cannot open a pseudo-terminal: %1").arg(reason);
        return false;
    }
    m_terminal.onReceived = [this](const QByteArray& bytes) { m_driver.Receive(bytes); };
    m_terminal.onClosedByAll = [this] { m_driver.Discard(); };
    m_driver.onBytes = [this](const QByteArray& bytes) { m_terminal.Write(bytes); };
    return true;
}
