#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// What the checks of a chosen firmware file found.
enum class FirmwareCheck {
    Ok,
    NoFileChosen,  // the path is empty
    NotFirmware,   // the name does not end in "bin" (lower case)
    Corrupt,       // not a readable file, one byte or less, or too large for the image buffer
};

// A firmware image loaded from a file, ready to be uploaded: the image buffer, the number of
// bytes the upload sends and the number of packets it takes.
//
// The buffer holds 65536 bytes and is zero past the file. The upload sends one byte more than
// the file holds, so the largest file taken is 65535 bytes, and that extra byte is always 0.
class FirmwareImage {
public:
    static constexpr qsizetype kBufferSize = 65536;
    static constexpr qsizetype kPayloadSize = 56;  // image bytes in one data packet
    // The largest file taken: the upload sends one byte more than the file, and that must fit.
    static constexpr qsizetype kLargestFile = kBufferSize - 1;

    // True when `path` is a plain file longer than kLargestFile, so that a refusal can say the
    // file is too large rather than damaged.
    static bool IsTooLarge(const QString& path);

    // The name check alone: the last three characters must be "bin", exactly.
    static FirmwareCheck CheckName(const QString& path);
    // Reads the file into a cleared buffer. Any failure leaves no image loaded.
    FirmwareCheck Read(const QString& path);
    // CheckName, then Read: a file as the command line names it.
    FirmwareCheck Load(const QString& path);
    void Clear();

    bool IsLoaded() const { return m_nFwTotal != 0; }
    const QString& Path() const { return m_strPath; }
    // Bytes the upload sends: the file's length + 1.
    quint32 Total() const { return m_nFwTotal; }
    // N, the number of the last data packet: one start packet, then one data packet for every
    // started 56 bytes of Total().
    quint32 Packets() const { return m_nFwPackets; }
    // The 56 bytes of the image stream that begin at `offset`: the buffer's bytes, zeros past it.
    QByteArray Payload(quint32 offset) const;
    const QByteArray& Buffer() const { return m_fwImage; }

private:
    QByteArray m_fwImage;
    quint32 m_nFwTotal = 0;
    quint32 m_nFwPackets = 0;
    QString m_strPath;
};
