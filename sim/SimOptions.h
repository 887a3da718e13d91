#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "SimConfig.h"

class QCommandLineParser;

// The simulated controller's command-line options: what it is (--firmware, --tag, --set),
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

    // The arguments with the firmware version's old spelling ("--version N", "--version=N")
    // replaced by --firmware, so that --version alone can print the program's version.
    // `oldSpelling` tells whether there was one. arguments[0] is the program.
    static QStringList WithFirmwareSpelledOut(const QStringList& arguments, bool* oldSpelling);

private:
    QList<QCommandLineOption> m_options;
};
