#pragma once

#include <QString>

// A symbolic link the program puts up for others to find (a device under a fixed name) and
// takes down again.
struct LinkPlacement {
    enum class Kind {
        Made,
        Occupied,  // something that is not a symbolic link is at that name: left as it is
        Failed,    // reason: the system's words
    };
    Kind kind = Kind::Made;
    QString reason;
};

// Makes `link` a symbolic link to `target`, replacing a symbolic link already there (never
// anything else).
LinkPlacement PlaceSymbolicLink(const QString& link, const QString& target);

// Removes the symbolic link at `link`; anything else there is left alone.
void RemoveSymbolicLink(const QString& link);
