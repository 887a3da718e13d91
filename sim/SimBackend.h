#pragma once

#include <QObject>

#include "ICommBackend.h"

// Placeholder until the simulated controller lands: every port opens, nothing answers.
class SimBackend : public QObject, public ICommBackend {
public:
    void Open(int) override { m_open = true; }
    void Close() override { m_open = false; }
    bool IsOpen() const override { return m_open; }
    void Configure(const LineSettings&) override {}
    void SetHardwareHandshake(bool) override {}
    void Write(const QByteArray&) override {}
    QByteArray ReadAll() override { return {}; }
    QString DeviceOf(int) const override { return QStringLiteral("simulator"); }

private:
    bool m_open = false;
};
