#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <array>
#include <optional>
#include <variant>

#include "ParameterFileLayout.h"

// The values of a parameter file's 191 lines, as the cache keeps them (frame values without
// the +5000 the file adds).
using ParameterValues = std::array<int, kParameterCount>;

// Why a file cannot be restored, and the line (counted from 1) where it shows.
struct FileProblem {
    enum class Kind {
        TooLarge,
        MissingLine,
        NotPortLine,
        WrongEncoding,  // saved as UTF-8 by an editor; it must be GBK
        WrongLabel,
        NotANumber,
        OutOfRange,
        ExtraLine
    };
    Kind kind = Kind::MissingLine;
    int line = 0;      // 0 for a problem of the whole file (TooLarge)
    QString label;     // WrongLabel: the label the line must begin with
    QByteArray value;  // NotANumber, OutOfRange: the value text found
    int minimum = 0;   // OutOfRange: what the parameter accepts
    int maximum = 0;

    // One sentence naming the line and what is wrong, in the language asked for.
    QString Describe(bool english) const;
};

// A parameter file is a few kilobytes; anything much larger is not one and is not read whole.
constexpr qint64 kMaxParameterFileBytes = 64 * 1024;

// Reads and checks a whole parameter file before any of it is used: the port line, every label
// byte for byte as the export writes it, every value a number and, where the restore sends it,
// within what its parameter accepts, and the line count (196; lines may end in CR CR LF, CR LF
// or LF, a line end after the last line and blank lines after it are accepted). The first
// problem found is returned.
std::variant<ParameterValues, FileProblem> ReadParameterFile(QByteArrayView bytes);

// The bytes of the file at path (at most kMaxParameterFileBytes + 1 of them), or the reason it
// cannot be opened or read.
std::variant<QByteArray, QString> LoadParameterFile(const QString& path);

// Why a file named for a restore is not restored: it could not be read (the reason), or it was
// read and a line is wrong (the problem).
struct RestoreFileRefusal {
    QString unreadable;
    std::optional<FileProblem> problem;
};

// A file named for a restore, loaded and checked whole, the same way by the window and vexactl.
std::variant<ParameterValues, RestoreFileRefusal> ReadRestorableFile(const QString& path);
