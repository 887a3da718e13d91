#pragma once

#include <QByteArray>
#include <array>

// The live data the controller streams while the live display is on: one round is a receiver
// frame "CHDA", an output frame "MSDA" and a sensor frame "SSDA", each 38 bytes (tag, 32
// characters of fields, "\r\n"). The values follow a slow flight pattern so that every field
// moves from round to round.
class SimLiveStream {
public:
    static constexpr int kFrameSize = 38;

    struct Sensors {
        int ultrasonicMm;          // 0-9999
        int baroDm;                // 0-9999
        int headingDeg;            // 0-359
        int vibration;             // 0-99
        long long longitudeMicro;  // millionths of a degree, signed
        long long latitudeMicro;
    };

    // The three frames of the next round; each call advances the pattern by one step.
    std::array<QByteArray, 3> NextRound();
    int Round() const { return m_nRound; }

    // The values of round `round`.
    static std::array<int, 8> Channels(int round);
    static std::array<int, 8> Outputs(int round);
    static Sensors SensorValues(int round);

    static QByteArray ChannelFrame(int round);
    static QByteArray OutputFrame(int round);
    static QByteArray SensorFrame(int round);

private:
    int m_nRound = 0;
};
