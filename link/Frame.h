#pragma once

#include <QByteArray>
#include <QString>

// The wire frame: STX, station "0001", body, ETX, two-digit checksum, EOT or ETB.
namespace comm {

inline constexpr QChar STX(0x02);
inline constexpr QChar ETX(0x03);
inline constexpr QChar EOT(0x04);
inline constexpr QChar ENQ(0x05);
inline constexpr QChar ACK(0x06);
inline constexpr QChar NAK(0x15);
inline constexpr QChar ETB(0x17);
inline constexpr QChar SUB(0x1A);
inline constexpr QChar ESC(0x1B);
inline constexpr QChar CR(0x0D);

// The two's complement of the low byte of the sum of the character codes.
int FrameChecksum(const QString& text);
QString BuildFrame(const QString& cmd, QChar terminator);
// The log form of a frame: control characters named ("[STX]", "[0B]"), CR and LF kept.
QString NameControlChars(const QString& text);
// The present date and time in the "General Date" form of the log lines.
QString NowText();
// An elapsed time as "HH:NN:SS", for the log and list lines of the operations.
QString ElapsedText(qint64 milliseconds);
// The smallest of the values that are not zero; 0 when all are zero.
int MinNonZero3(int a, int b, int c);

// Frames travel as one byte per character.
QByteArray FrameBytes(const QString& frame);
QString FrameText(const QByteArray& bytes);

}  // namespace comm
