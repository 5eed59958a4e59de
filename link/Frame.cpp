#include "link/Frame.h"

#include "runtime/Format.h"

namespace comm {

int FrameChecksum(const QString& text) {
    int sum = 0;
    for (QChar c : text)
        sum += c.unicode();
    return (256 - sum % 256) % 256;
}

QString BuildFrame(const QString& cmd, QChar terminator) {
    const QString body = STX + QStringLiteral("0001") + cmd + ETX;
    return body + QStringLiteral("%1").arg(FrameChecksum(body), 2, 16, QLatin1Char('0')).toUpper() +
           terminator;
}

QString NameControlChars(const QString& text) {
    QString out;
    out.reserve(text.size() + 16);
    for (QChar c : text) {
        const ushort u = c.unicode();
        if (u >= 32 || u == 0x0A || u == 0x0D) {
            out += c;
            continue;
        }
        switch (u) {
            case 0x02:
                out += QLatin1String("[STX]");
                break;
            case 0x03:
                out += QLatin1String("[ETX]");
                break;
            case 0x04:
                out += QLatin1String("[EOT]");
                break;
            case 0x05:
                out += QLatin1String("[ENQ]");
                break;
            case 0x06:
                out += QLatin1String("[ACK]");
                break;
            case 0x15:
                out += QLatin1String("[NAK]");
                break;
            case 0x17:
                out += QLatin1String("[ETB]");
                break;
            case 0x1A:
                out += QLatin1String("[SUB]");
                break;
            case 0x1B:
                out += QLatin1String("[ESC]");
                break;
            default:
                out += QStringLiteral("[%1]").arg(u, 2, 16, QLatin1Char('0')).toUpper();
                break;
        }
    }
    return out;
}

QString NowText() {
    return rt::GeneralDate(rt::OleDate::now());
}

QString ElapsedText(qint64 milliseconds) {
    const qint64 s = milliseconds / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600, 2, 10, QLatin1Char('0'))
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

int MinNonZero3(int a, int b, int c) {
    int best = 0;
    for (int v : {a, b, c})
        if (v != 0 && (best == 0 || v < best)) best = v;
    return best;
}

QByteArray FrameBytes(const QString& frame) {
    return frame.toLatin1();
}

QString FrameText(const QByteArray& bytes) {
    return QString::fromLatin1(bytes);
}

}  // namespace comm
