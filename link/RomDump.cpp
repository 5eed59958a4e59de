#include <QElapsedTimer>
#include <QScopeGuard>

#include "core/ModMain.h"
#include "link/Frame.h"
#include "link/uclVyif.h"
#include "runtime/Convert.h"
#include "runtime/Format.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

namespace comm {

namespace {

const QString DumpHeader =
    QStringLiteral("Adrs   +0 +1 +2 +3 +4 +5 +6 +7  +8 +9 +A +B +C +D +E +F   List Of ASCII   ");

QString address(int32_t a) {
    return QStringLiteral("%1")
        .arg(static_cast<uint32_t>(a), 6, 16, QLatin1Char('0'))
        .toUpper()
        .right(6);
}

}  // namespace

void uclVyif::writeList(QFile& file, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size())
        throw ListFileError(
            rt::ErrPathAccess,
            QStringLiteral("Cannot write %1: %2").arg(file.fileName(), file.errorString()));
}

QString uclVyif::FormatDumpLine(const QString& digits) {
    QString hex, chars;
    for (int i = 0; i < 16; ++i) {
        bool ok = false;
        const QString pair = digits.mid(2 * i, 2);
        const int b = pair.size() == 2 ? pair.toInt(&ok, 16) : 0;
        // A pair that is no hexadecimal byte is shown as "??" and ".", so the list completes.
        hex += ok ? pair.toUpper() : QStringLiteral("??");
        hex += QLatin1Char(' ');
        if (i == 7) hex += QLatin1Char(' ');
        chars += ok && b >= 32 && b <= 126 ? QChar(b) : QLatin1Char('.');
    }
    return hex + QStringLiteral("  ") + chars;
}

void uclVyif::WriteDumpList() {
    if (!dumpFile_) return;
    QString block = DumpHeader + QStringLiteral("\r\n") + QString(74, QLatin1Char('-')) +
                    QStringLiteral("\r\n");
    for (int i = 0; i < 16; ++i)
        block += address(dumpAddress_[i]) + QLatin1Char(' ') + FormatDumpLine(dumpData_[i]) +
                 QStringLiteral("\r\n");
    block += QStringLiteral("\r\n");
    writeList(*dumpFile_, block);
    const QString text = QStringLiteral("Get Dump ") + address(dumpAddress_[0]) + QLatin1Char('-') +
                         address(dumpAddress_[15] + 15);
    raise([this, text] { emit DumpMessage(text); });
}

// One answer block of a dump read: field 1 the block number, field 3 the data.
bool uclVyif::parseDump() {
    const QString number = token(1);
    QString data = token(3);
    if (data.isEmpty() || !rt::IsNumeric(number)) return true;
    const int32_t block = rt::CLng(number);
    for (int j = 0; !data.isEmpty(); ++j) {
        QString line = data.left(32);
        data = data.mid(32);
        if (line.size() < 32) line = line.leftJustified(32, QLatin1Char('F'));
        dumpData_[dumpLineCount_] = line;
        dumpAddress_[dumpLineCount_] = (block - 1) * 128 + 16 * j;
        if (++dumpLineCount_ > 15) {
            // Emptied before the write: a list file that fails must not leave a full table
            // that the next answer writes beyond.
            dumpLineCount_ = 0;
            WriteDumpList();
        }
    }
    return true;
}

bool uclVyif::GetRomDump(const QString& fileName, const QString& cmd) {
    if (!linkReady()) return false;
    WriteLog(core::LoadResText(21025, {NowText()}));
    QElapsedTimer started;
    started.start();
    // Unbuffered, so that a device that refuses the list fails the write that asked for it.
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        throw rt::RuntimeError(
            rt::ErrPathAccess,
            QStringLiteral("Cannot write %1: %2").arg(fileName, file.errorString()));
    const QString header = QStringLiteral(";\tQM-73 Data Logger Program\r\n;\tFlush ROM Dump (") +
                           cmd + QStringLiteral(") List") + NowText() +
                           QStringLiteral("\r\n;\tZevra Duvra Co.,Ltd.\r\n\r\n");
    writeList(file, header);
    // The answers write through this pointer only while this call runs.
    dumpFile_ = &file;
    const auto release = qScopeGuard([this] { dumpFile_ = nullptr; });
    listError_.reset();
    dumpLineCount_ = 0;
    dumpData_.fill(QString());
    dumpAddress_.fill(0);

    operationOk_ = true;
    cancel_ = false;
    status_ = StatusMultiRead;
    DataSend(BuildFrame(cmd + QStringLiteral(",R,"), EOT), true);
    awaitAnswer(StatusMultiRead);
    if (listError_) {
        // The read ended when the list could not be written (Status 7); the caller learns why.
        const rt::RuntimeError error = *listError_;
        listError_.reset();
        throw error;
    }

    if (dumpLineCount_ > 0) {
        for (int i = dumpLineCount_; i < 16; ++i) {
            dumpData_[i] = QString(32, QLatin1Char('F'));
            dumpAddress_[i] = dumpAddress_[i - 1] + 16;
        }
        dumpLineCount_ = 0;
        WriteDumpList();
    }
    writeList(file, QStringLiteral("\r\n;\tTotal Download Time = ") +
                        ElapsedText(started.elapsed()) + QStringLiteral("\r\n"));
    file.close();
    if (status_ == StatusDone && operationOk_) return true;
    status_ = StatusIdle;
    return false;
}

}  // namespace comm
