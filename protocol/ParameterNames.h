#pragma once

#include <QStringList>

// The fixed display label of every parameter cache slot, as the parameter text file writes it
// in front of the value: slots 0-190 hold a label of exactly 13 bytes in GBK, 191-199 are empty.
QStringList ParameterNames();

// Slot of the first function-grid cell (row 1, channel 5, low); the grid fills 120 slots.
constexpr int kGridFirstSlot = 55;
constexpr int kNamedSlots = 191;
