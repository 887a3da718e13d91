#pragma once

#include <QString>
#include <span>
#include <string>

#include "ParameterFileReader.h"

struct ProtocolState;

// Fills the restore table the bulk write sends from (line n + 1 for export index n): the
// setting lines as text, four digits when not negative, so that every value goes out whole; the
// flag and switch lines also as ints.
void FillRestoreTable(const ParameterValues& values, ProtocolState& state);

// The letters of the bulk write whose value in the cache, after the read-back that ends a
// restore, is not the one the restore sent, in chain order. Empty when all were taken.
std::string LettersNotRestored(const ParameterValues& restored, std::span<const int> cache);

// The bulk-write link of a letter as a message names it: the parameter and the file line(s)
// it comes from, or the announcement for j.
QString RestoreLinkName(char letter, bool english);
