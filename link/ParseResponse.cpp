#include <QScopeGuard>

#include "core/ModMain.h"
#include "link/Frame.h"
#include "link/uclVyif.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

namespace comm {

QString uclVyif::token(int i) const {
    // A short answer never picks up a field of an earlier, longer one.
    return answerFields_.value(i);
}

// Checks one received frame, cuts off its envelope and hands the data to the branch of its
// answer key.
uclVyif::Verdict uclVyif::ParseResponse(QString& frame) {
    answerFields_.clear();
    // A frame too short to carry a checksum fails the check instead of breaking the parser.
    bool sumOk = frame.size() >= 3;
    if (sumOk) {
        bool hexOk = false;
        const int given = rt::Mid(frame, static_cast<int>(frame.size()) - 2, 2).toInt(&hexOk, 16);
        sumOk =
            hexOk && given == FrameChecksum(rt::Left(frame, static_cast<int>(frame.size()) - 3));
    }
    if (!sumOk) {
        AddLog(QStringLiteral("<<< Check SUM error >>>"));
        return Verdict::Refused;
    }
    if (frame.size() < 15) {
        AddLog(QStringLiteral("<<< Format error >>>"));
        return Verdict::Refused;
    }
    const QChar resultChar = frame.at(10);
    resultChar_ = resultChar;
    frame.replace(CR, QLatin1Char(','));
    QString data = core::StripControlChars(frame);
    data = data.mid(4, data.size() - 6);
    const QString key = data.left(4);
    // Only the answer to the request that waits may end it: a late duplicate of an earlier
    // answer, or the answer of the live-reading poll, would otherwise pass for it.
    const QString expected = rt::Mid(lastFrame_, 6, 4);
    if (key != expected) {
        AddLog(QStringLiteral("<<< Answer %1 is not for the request %2: ignored >>>")
                   .arg(key, expected));
        return Verdict::Foreign;
    }
    // The fields are split here, with no limit on their number: a block carries as many record
    // lines as the instrument puts in it.
    answerFields_ = data.mid(5).split(QLatin1Char(','), Qt::SkipEmptyParts);
    try {
        return parseAnswer(key, frame, resultChar) ? Verdict::Accepted : Verdict::Refused;
    } catch (const ListFileError& e) {
        listError_ = e;
        AddLog(QStringLiteral("<<< %1 >>>").arg(e.description()));
        return Verdict::Fatal;
    } catch (const rt::RuntimeError& e) {
        // Nothing thrown while an answer is taken in leaves the receive path: the answer is
        // refused and asked for again.
        AddLog(QStringLiteral("<<< %1 >>>").arg(e.description()));
        return Verdict::Refused;
    }
}

bool uclVyif::parseAnswer(const QString& key, const QString& frame, QChar resultChar) {
    if (key == QLatin1String("RC,R")) return parseConnect(frame);
    if (key == QLatin1String("UG,R") || key == QLatin1String("UG,W")) return true;
    if (key.size() == 4 && key.at(0) == QLatin1Char('Y') && key.at(1) >= QLatin1Char('A') &&
        key.at(1) <= QLatin1Char('V') && key.mid(2) == QLatin1String(",R"))
        return true;
    if (key == QLatin1String("DR,R")) return parseBlock(intervals_, 2, false);
    if (key == QLatin1String("DJ,R")) return parseBlock(alarms_, 2, false);
    if (key == QLatin1String("VE,R")) return parseBlock(alarmEvents_, 3, false);
    if (key == QLatin1String("TV,R")) return parseBlock(troubleEvents_, 3, false);
    if (key == QLatin1String("DO,R")) return parseBlock(powerEvents_, 3, false);
    if (key == QLatin1String("IH,R")) return parseBlock(history_, 3, true);
    if (key == QLatin1String("EP,R") || key == QLatin1String("EF,R") ||
        key == QLatin1String("ES,R"))
        return parseDump();
    if (key.endsWith(QLatin1String(",R"))) return parseSetting(key);
    return parseWrite(key, frame, resultChar);
}

// The connect answer connects only a QM-73.
bool uclVyif::parseConnect(const QString& frame) {
    if (!frame.contains(QLatin1String("RC,R,QM-73"))) return false;
    if (linkState_ == LinkConnected) return true;
    linkState_ = LinkConnected;
    keeper_.instrumentAnswered();
    raise([this] { emit OnConnect(); });
    WriteLog(core::LoadResText(21004));
    return true;
}

// A block of record lines: checked whole first, applied only when every line passed; the
// collection's routing state is put back before the apply pass and before the block is asked
// for again.
bool uclVyif::parseBlock(core::RecordLines* lines, int firstToken, bool historyBlock) {
    if (!lines) return false;
    const int16_t requestNo = historyBlock ? historyRequestNo_ : int16_t(0);
    lines->SaveRoutingState();
    // However the block ends short of being applied whole (a refused line, an error raised by
    // a decoder), the routing state goes back, so the block asked for again starts where this
    // one did.
    bool applied = false;
    const auto restore = qScopeGuard([lines, &applied] {
        if (!applied) lines->RestoreRoutingState();
    });
    bool ok = true;
    for (int i = firstToken; i < fieldCount(); ++i)
        ok = lines->SetRecordLine(requestNo, token(i), true) && ok;
    lines->RestoreRoutingState();
    if (!ok) return false;
    for (int i = firstToken; i < fieldCount(); ++i)
        ok = lines->SetRecordLine(requestNo, token(i), false) && ok;
    applied = ok;
    return ok;
}

}  // namespace comm
