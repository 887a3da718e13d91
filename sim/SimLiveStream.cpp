#include "SimLiveStream.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr double kTwoPi = 6.283185307179586;

// A sine sweep with the given period (in rounds) and phase, between low and high.
int Sweep(int round, int period, double phase, int low, int high) {
    const double s = std::sin(kTwoPi * round / period + phase);
    return low + static_cast<int>(std::lround((s + 1.0) / 2.0 * (high - low)));
}

QByteArray Digits(long long value, int width) {
    return QByteArray::number(value).rightJustified(width, '0', true);
}

// Sign, `intDigits` integer digits and six decimals: "+113123456".
QByteArray Coordinate(long long micro, int intDigits) {
    const char sign = micro < 0 ? '-' : '+';
    return sign + Digits(std::llabs(micro), intDigits + 6);
}

QByteArray Frame(const char* tag, const QByteArray& fields) {
    return QByteArray(tag) + fields + "\r\n";
}

QByteArray FourDigitFields(const std::array<int, 8>& values) {
    QByteArray fields;
    for (int v : values) fields += Digits(v, 4);
    return fields;
}

}  // namespace

std::array<QByteArray, 3> SimLiveStream::NextRound() {
    const int round = m_nRound++;
    return {ChannelFrame(round), OutputFrame(round), SensorFrame(round)};
}

std::array<int, 8> SimLiveStream::Channels(int round) {
    // Sticks sweep their whole travel; channels 5 to 8 are switches and knobs.
    return {Sweep(round, 40, 0.0, 1000, 2000), Sweep(round, 52, 1.0, 1000, 2000),
            Sweep(round, 64, 2.0, 1000, 2000), Sweep(round, 76, 3.0, 1000, 2000),
            (round / 50) % 2 ? 1900 : 1100,    Sweep(round, 90, 0.5, 1000, 2000),
            (round / 80) % 3 * 400 + 1100,     Sweep(round, 120, 1.5, 1000, 2000)};
}

std::array<int, 8> SimLiveStream::Outputs(int round) {
    std::array<int, 8> out{};
    for (int i = 0; i < 4; ++i) out[i] = Sweep(round, 30 + 4 * i, i * 0.8, 1150, 1850);
    out[4] = Sweep(round, 60, 0.0, 1300, 1700);  // gimbal servos
    out[5] = Sweep(round, 70, 1.0, 1300, 1700);
    out[6] = 1500;
    out[7] = 1000;
    return out;
}

SimLiveStream::Sensors SimLiveStream::SensorValues(int round) {
    return {Sweep(round, 100, 0.0, 300, 4000),
            Sweep(round, 150, 0.0, 100, 600),
            (round * 3) % 360,
            Sweep(round, 25, 0.0, 2, 40),
            113123456 + Sweep(round, 200, 0.0, -500, 500),
            22543210 + Sweep(round, 200, 1.6, -500, 500)};
}

QByteArray SimLiveStream::ChannelFrame(int round) {
    return Frame("CHDA", FourDigitFields(Channels(round)));
}

QByteArray SimLiveStream::OutputFrame(int round) {
    return Frame("MSDA", FourDigitFields(Outputs(round)));
}

QByteArray SimLiveStream::SensorFrame(int round) {
    const Sensors s = SensorValues(round);
    return Frame("SSDA", Digits(s.ultrasonicMm, 4) + Digits(s.baroDm, 4) + Digits(s.headingDeg, 3) +
                             Digits(s.vibration, 2) + Coordinate(s.longitudeMicro, 3) +
                             Coordinate(s.latitudeMicro, 2));
}
