#pragma once

#include <QByteArray>
#include <optional>
#include <utility>
#include <vector>

#include "SimFaults.h"

// How a simulated controller is set up: what it is, how it answers, how fast its line runs
// and which faults it shows.
struct SimConfig {
    static constexpr int kLineBaud = 115200;

    int firmwareVersion = 1218;
    QByteArray deviceTag = "QZMC";
    // No echo for set commands, except the reference-set loads whose echo the tool waits for.
    bool quietSets = false;
    // The shapes of answers the protocol allows besides the usual ones: what follows a set echo
    // and the boot loader's ready word (unset: "\r\n" after an echo, nothing after the word),
    // no echo of "Sj0004" (a saved file follows), a reference-set echo of its five bytes "Sj000"
    // only, and one letter stored and echoed one higher than it was sent.
    std::optional<QByteArray> lineEnd;
    bool quietAnnouncement = false;
    bool shortReferenceEcho = false;
    char otherValueLetter = 0;
    // A confirmed upload starts firmware that comes up with a fresh controller's values (the
    // presets are gone), as new firmware may.
    bool resetOnUpgrade = false;
    // Wire values set before the controller starts answering, in order.
    std::vector<std::pair<char, int>> presets;
    SimFaults faults;

    // Pacing: bytes leave no faster than ten bits each at this rate; 0 sends at once.
    int paceBaud = 0;
    // Deliver paced output byte by byte as the line frees it, instead of each reply whole.
    bool byteByByte = false;
    // Rounds of live frames per second while the live display is on.
    double liveRateHz = 10.0;
};
