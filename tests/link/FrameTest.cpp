#include <gtest/gtest.h>

#include "core/ModMain.h"
#include "link/Frame.h"

using namespace comm;

TEST(Frame, ConnectRequestIsByteExact) {
    const QByteArray expected(
        "\x02"
        "0001RC,R,\x03"
        "FB\x04");
    EXPECT_EQ(FrameBytes(BuildFrame("RC,R,", EOT)), expected);
    EXPECT_EQ(FrameChecksum(QString(STX) + "0001RC,R," + ETX), 0xFB);
    EXPECT_EQ(NameControlChars(BuildFrame("RC,R,", EOT)), "[STX]0001RC,R,[ETX]FB[EOT]");
}

TEST(Frame, BlockAcknowledgementIsByteExact) {
    const QByteArray expected(
        "\x02"
        "0001DR,R,\x06\x03"
        "F4\x17");
    EXPECT_EQ(FrameBytes(BuildFrame(QStringLiteral("DR,R,") + ACK, ETB)), expected);
}

TEST(Frame, ChecksumIsTwosComplementOfTheLowByte) {
    EXPECT_EQ(FrameChecksum(QString(QChar(0x80)) + QChar(0x80)), 0);  // sum 256
    EXPECT_EQ(FrameChecksum(QString(QChar(0x01))), 0xFF);
    EXPECT_EQ(FrameChecksum(QString()), 0);
    // A checksum below 0x10 keeps its leading zero; a sum that is a multiple of 256 gives "00".
    EXPECT_EQ(BuildFrame("0", EOT), QString(STX) + "00010" + ETX + "0A" + EOT);
    EXPECT_EQ(BuildFrame(":", EOT), QString(STX) + "0001:" + ETX + "00" + EOT);
}

TEST(Frame, LogForm) {
    const QString all = QString(QChar(0)) + QChar(1) + STX + ETX + EOT + ENQ + ACK + NAK + ETB +
                        SUB + ESC + QChar(0x0B) + QChar('\r') + QChar('\n') + "A~";
    EXPECT_EQ(NameControlChars(all),
              "[00][01][STX][ETX][EOT][ENQ][ACK][NAK][ETB][SUB][ESC][0B]\r\nA~");
    EXPECT_EQ(core::StripControlChars(QString(STX) + "a,b\r" + QChar(127) + QChar(128) + ETX),
              QString("a,b") + QChar(127));
}

TEST(Frame, MinNonZero) {
    EXPECT_EQ(MinNonZero3(0, 0, 0), 0);
    EXPECT_EQ(MinNonZero3(5, 0, 0), 5);
    EXPECT_EQ(MinNonZero3(7, 3, 0), 3);
    EXPECT_EQ(MinNonZero3(0, 9, 4), 4);
}

TEST(Frame, ElapsedTimeText) {
    const std::pair<qint64, QString> cases[] = {
        {0, "00:00:00"}, {90'999, "00:01:30"}, {3'600'000 * 27 + 61'000, "27:01:01"}};
    for (const auto& [ms, text] : cases)
        EXPECT_EQ(comm::ElapsedText(ms), text);
}
