#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// One "L=VALUE" of vexactl set: a letter and the value as the window shows it.
struct Assignment {
    char letter = 0;
    int shown = 0;
};

// Reads and checks "L=VALUE" against the parameter table: a letter the window writes with one
// set command, a whole decimal number (a sign allowed) inside the values its control can
// send. nullopt with `error` set (one sentence) otherwise.
std::optional<Assignment> ParseAssignment(const QString& text, QString* error);

// Every argument of set, checked as a whole: each one as above, no letter twice, and the
// linked switch rows d and e not given the same switch position. Empty with `error` set when
// anything is refused.
std::vector<Assignment> ParseAssignments(const QStringList& arguments, QString* error);

// A letter for vexactl get: one the read-back chains can ask, other than the version (which
// info gives). False with `error` set otherwise.
bool CheckReadableLetter(const QString& text, QString* error);
