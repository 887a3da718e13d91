#include "SimParameterStore.h"

#include <utility>

namespace {

// The gains a reference set carries: stability, balance, heading and height gains, then the
// position-hold gains and the return speed. Small frames react fast and need softer gains.
constexpr char kGainLetters[] = "CDEFGYZRT`@#$!";
constexpr int kGainCount = sizeof(kGainLetters) - 1;
constexpr int kReferenceGains[4][kGainCount] = {
    {32, 28, 25, 36, 30, 35, 30, 40, 30, 32, 40, 35, 30, 20},  // below 300 mm
    {38, 34, 30, 42, 35, 40, 35, 45, 32, 36, 45, 40, 35, 25},  // 300-450 mm
    {45, 40, 35, 50, 40, 45, 40, 50, 35, 40, 50, 45, 40, 30},  // 450-650 mm
    {55, 48, 42, 58, 46, 52, 46, 56, 40, 45, 56, 52, 46, 35},  // above 650 mm
};

constexpr int kCoordinateOffset = 5000;

// Everything else a fresh controller holds, as wire values.
// clang-format off
constexpr std::pair<char, int> kDefaults[] = {
    {'A', 5},                                  // frame type: quad X
    {'B', 4},                                  // ESC output rate
    {'P', 1},                                  // servo output rate: 50 Hz
    {'Q', 180},                                // declination 0 degrees, carried with +180
    {'M', 0x9F},  // battery, receiver, gyroscope, accelerometer, magnetometer, GPS
    {'H', 1},     {'I', 1},
    {'K', 50},    {'J', 50},  {'%', 50},       // gimbal ratios
    {'&', 100},   {'^', 100}, {'(', 100},      // gimbal servo centres, 0 carried with +100
    {'_', 60},    {')', 60},  {'+', 60},       // gimbal angle limits
    {'L', 330},                                // alarm at 3.30 V per cell
    {'4', 410},   {'5', 412}, {'6', 409}, {'7', 411},  // battery calibration
    {'N', 0x04},  {'O', 0x02},                 // channel reverse flags
    // The switch matrix, one row of twelve switches per letter.
    {'a', 0x003}, {'b', 0x00C}, {'c', 0x030}, {'d', 0x0C0}, {'e', 0x300},
    {'f', 0xC00}, {'=', 0x001}, {'g', 0x002}, {'h', 0x004}, {'i', 0x800},
    // Custom frame: four axes, 650 mm square, motors on the diagonals, M1 and M4 reversed.
    {'k', 4},     {'l', 650}, {'m', 650},
    {'n', kCoordinateOffset - 230}, {'o', kCoordinateOffset + 230},
    {'p', kCoordinateOffset + 230}, {'q', kCoordinateOffset + 230},
    {'r', kCoordinateOffset - 230}, {'s', kCoordinateOffset - 230},
    {'t', kCoordinateOffset + 230}, {'u', kCoordinateOffset - 230},
    {'v', kCoordinateOffset},       {'w', kCoordinateOffset},
    {'x', kCoordinateOffset},       {'y', kCoordinateOffset},
    {'z', 0x09},
};
// clang-format on

}  // namespace

SimParameterStore::SimParameterStore() { Reset(); }

int SimParameterStore::Slot(char letter) {
    const auto index = static_cast<unsigned char>(letter);
    return index < 128 ? index : -1;
}

int SimParameterStore::Value(char letter) const {
    const int slot = Slot(letter);
    return slot < 0 ? 0 : m_values[slot];
}

void SimParameterStore::Set(char letter, int wireValue) {
    const int slot = Slot(letter);
    if (slot < 0) return;
    const int value = wireValue % 10000;
    m_values[slot] = value < 0 ? value + 10000 : value;
}

void SimParameterStore::LoadReferenceSet(int set) {
    if (set < 0 || set >= kReferenceSets) return;
    for (int i = 0; i < kGainCount; ++i) Set(kGainLetters[i], kReferenceGains[set][i]);
    Set('j', set);
}

void SimParameterStore::Reset() {
    m_values.fill(0);
    for (const auto& [letter, value] : kDefaults) Set(letter, value);
    LoadReferenceSet(kDefaultReferenceSet);
}
