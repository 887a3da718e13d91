#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <optional>

#include "SimConfig.h"

class QCommandLineParser;

// The simulated controller's command-line options: what it is (--version, --tag, --set),
// how it answers (--quiet-sets), its line (--baud, --no-pace, --byte-by-byte, --live-rate)
// and its faults (--drop, --zero, --noise, --bad-ack, --drop-packet, --bad-sum,
// --silent-after). Any program that runs a simulator can offer them.
class SimOptions {
public:
    SimOptions();

    void AddTo(QCommandLineParser& parser) const;
    // The configuration the parsed options describe, or nothing with `error` set. Pacing
    // defaults to `defaultBaud` (0: unpaced) unless --baud or --no-pace says otherwise.
    std::optional<SimConfig> Read(const QCommandLineParser& parser, int defaultBaud,
                                  QString* error) const;

private:
    QList<QCommandLineOption> m_options;
};
