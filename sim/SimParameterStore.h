#pragma once

#include <array>

// The controller's parameter memory: one wire value (0 to 9999) per parameter letter, with
// the values a freshly flashed controller holds, and the four built-in reference sets that
// "Sj000n" loads.
class SimParameterStore {
public:
    static constexpr int kReferenceSets = 4;
    // The reference set a fresh controller carries (the 450-650 mm frame class).
    static constexpr int kDefaultReferenceSet = 2;

    SimParameterStore();

    // 0 for a letter that was never set.
    int Value(char letter) const;
    // Values travel as four digits: anything outside 0 to 9999 is stored modulo 10000.
    void Set(char letter, int wireValue);
    // Loads the gains of reference set `set` (0 to 3) and records the choice under "j".
    // Calibration, frame geometry and the other settings are left as they are.
    void LoadReferenceSet(int set);
    // Back to the values of a freshly flashed controller.
    void Reset();

private:
    static int Slot(char letter);

    std::array<int, 128> m_values{};
};
