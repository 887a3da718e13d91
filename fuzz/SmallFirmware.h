#pragma once

#include <unistd.h>

#include <QFile>

#include "FirmwareImage.h"
#include "FuzzInput.h"

// A firmware image of 150 bytes, loaded once per process: the start packet, three data packets
// (N = 4), the end and the confirm packet, so that an upload runs through every mode in a few
// answers.
inline constexpr qsizetype kSmallFirmwareBytes = 150;

inline const FirmwareImage& SmallFirmware() {
    static const FirmwareImage image = [] {
        const QString path = QStringLiteral("/tmp/vexa-fuzz-firmware-%1.bin").arg(::getpid());
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QByteArray bytes(kSmallFirmwareBytes, '\0');
        for (qsizetype i = 0; i < bytes.size(); ++i) bytes[i] = char(0x5A + i * 13);
        file.write(bytes);
        file.close();
        FirmwareImage loaded;
        FUZZ_CHECK(loaded.Load(path) == FirmwareCheck::Ok);
        QFile::remove(path);
        return loaded;
    }();
    return image;
}
