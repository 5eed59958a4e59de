#include "core/ModMain.h"
#include "link/Frame.h"
#include "link/uclVyif.h"
#include "runtime/Strings.h"

namespace comm {

// Checks one received frame, cuts off its envelope and hands the data to the branch of its
// answer key. True when the answer was accepted.
bool uclVyif::ParseResponse(QString& frame) {
    token_.ClearComments();
    token_.ClearDelimiters();
    token_.ClearStrings();
    token_.AddDelimiters(QString(CR));
    token_.AddDelimiters(QStringLiteral(","));

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
        return false;
    }
    if (frame.size() < 15) {
        AddLog(QStringLiteral("<<< Format error >>>"));
        return false;
    }
    frame.replace(CR, QLatin1Char(','));
    QString data = core::StripControlChars(frame);
    data = data.mid(4, data.size() - 6);
    const QString key = data.left(4);
    data = data.mid(5);
    token_.setSource(data);

    if (key == QLatin1String("RC,R")) return parseConnect(frame);
    if (key == QLatin1String("UG,R") || key == QLatin1String("UG,W")) return true;
    if (key.size() == 4 && key.at(0) == QLatin1Char('Y') && key.at(1) >= QLatin1Char('A') &&
        key.at(1) <= QLatin1Char('V') && key.mid(2) == QLatin1String(",R"))
        return true;
    return false;
}

// The connect answer connects only a QM-73.
bool uclVyif::parseConnect(const QString& frame) {
    if (!frame.contains(QLatin1String("RC,R,QM-73"))) return false;
    if (linkState_ == LinkConnected) return true;
    linkState_ = LinkConnected;
    raise([this] { emit OnConnect(); });
    WriteLog(core::LoadResText(21004));
    return true;
}

}  // namespace comm
