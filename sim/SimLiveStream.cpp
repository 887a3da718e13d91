#include "SimLiveStream.h"

#include <algorithm>
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

// Where a switch with `positions` positions stands, moved on every `dwell` rounds.
int SwitchPosition(int round, int dwell, int positions) {
    static constexpr int kLow = 1100;
    static constexpr int kHigh = 1900;
    const int position = (round / dwell) % positions;
    return kLow + position * (kHigh - kLow) / (positions - 1);
}

int Clamped(int pulse) { return std::clamp(pulse, 1000, 2000); }

}  // namespace

std::array<QByteArray, 3> SimLiveStream::NextRound() {
    const int round = m_nRound++;
    return {ChannelFrame(round), OutputFrame(round), SensorFrame(round)};
}

// A pilot hovering and drifting about: roll, pitch and yaw sticks move gently around their
// centres, the throttle stays near hover, channels 5 and 7 are three-position switches,
// channel 6 a two-position switch and channel 8 a knob turned slowly. On the wire the third
// value is the rudder (channel 4) and the fourth the throttle (channel 3).
std::array<int, 8> SimLiveStream::Channels(int round) {
    const int roll = Sweep(round, 70, 0.0, 1250, 1750);
    const int pitch = Sweep(round, 90, 1.0, 1300, 1700);
    const int rudder = Sweep(round, 120, 2.0, 1350, 1650);
    const int throttle = Sweep(round, 150, 0.0, 1380, 1560);
    return {roll,
            pitch,
            rudder,
            throttle,
            SwitchPosition(round + 60, 60, 3),
            SwitchPosition(round + 90, 90, 2),
            SwitchPosition(round, 120, 3),
            Sweep(round, 200, 0.0, 1000, 2000)};
}

// Four motors mixed from the sticks as an X quad mixes them, the gimbal servos levelling
// against roll and pitch, an unused servo at centre and one at its low end.
std::array<int, 8> SimLiveStream::Outputs(int round) {
    const std::array<int, 8> in = Channels(round);
    const int roll = in[0] - 1500;
    const int pitch = in[1] - 1500;
    const int yaw = in[2] - 1500;
    const int base = 1000 + (in[3] - 1000) * 9 / 10 + 150;
    return {Clamped(base - roll / 3 + pitch / 3 - yaw / 5),
            Clamped(base + roll / 3 + pitch / 3 + yaw / 5),
            Clamped(base + roll / 3 - pitch / 3 - yaw / 5),
            Clamped(base - roll / 3 - pitch / 3 + yaw / 5),
            Clamped(1500 - pitch / 2),
            Clamped(1500 - roll / 2),
            1500,
            1000};
}

// A hover about a metre up, the heading turning slowly (half a degree a round) and the GPS
// position wandering a few metres about a fixed point.
SimLiveStream::Sensors SimLiveStream::SensorValues(int round) {
    return {Sweep(round, 100, 0.0, 700, 1300),
            Sweep(round, 150, 0.0, 95, 135),
            (135 + round / 2) % 360,
            Sweep(round, 25, 0.0, 4, 18),
            113123456 + Sweep(round, 300, 0.0, -40, 40),
            22543210 + Sweep(round, 300, 1.57, -40, 40)};
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
