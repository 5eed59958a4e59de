#include "core/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>
#include <cstring>
#include <limits>
#include <optional>

#include "core/ClsToken.h"
#include "core/ModMain.h"
#include "platform/FileReplacement.h"
#include "platform/RegularFile.h"
#include "runtime/Convert.h"
#include "runtime/Format.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

namespace core {

// ---- password scrambling -----------------------------------------------------------------

namespace {

// Characters are scrambled as bytes: ANSI text as the single bytes it always was, any other
// text as its UTF-8 bytes.
QByteArray passwordBytes(const QString& text) {
    for (QChar c : text)
        if (c.unicode() > 0xFF) return text.toUtf8();
    return text.toLatin1();
}

// UTF-8 text, or Latin-1 when the bytes are not valid UTF-8 (text written by an older
// installation in a single-byte code page is read rather than refused).
QString decodeUtf8OrLatin1(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

}  // namespace

QString ScrambleText(const QString& text) {
    const QByteArray bytes = passwordBytes(text);
    QString out;
    out.reserve(bytes.size() * 2);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const int v = static_cast<unsigned char>(bytes.at(i)) + static_cast<int>(i);
        out += QChar((v & 15) + 70);
        out += QChar(v / 16 + 70);
    }
    return out;
}

QString UnscrambleText(const QString& text) {
    QByteArray bytes;
    for (qsizetype k = 0; 2 * k + 1 < text.size(); ++k) {
        const int a = text.at(2 * k).unicode();
        const int b = text.at(2 * k + 1).unicode();
        const int code = (b - 70) * 16 + ((a - 70) & 15) - static_cast<int>(k);
        if (code < 0 || code > 255) throw rt::RuntimeError(rt::ErrInvalidCall);
        bytes.append(static_cast<char>(code));
    }
    return decodeUtf8OrLatin1(bytes);
}

QString EncodePassword(const QString& password) {
    return ScrambleText(ScrambleText(password));
}
QString DecodePassword(const QString& stored) {
    return UnscrambleText(UnscrambleText(stored));
}

// ---- reading -----------------------------------------------------------------------------

namespace {

// The values of one key line (token 1 onward). A value the line does not carry is absent.
class LineValues {
  public:
    explicit LineValues(const clsToken& token) : token_(token) {}

    std::optional<QString> text(int i) const {
        if (i >= token_.TokenCount()) return std::nullopt;
        return token_.Tokens(i);
    }
    // A flag is True when its text is "TRUE" in any case.
    std::optional<bool> flag(int i, const char* trueText = "TRUE") const {
        const auto t = text(i);
        if (!t) return std::nullopt;
        return t->toUpper() == QLatin1String(trueText);
    }
    // A number that is not numeric gives the key's reader default; out of range raises.
    std::optional<int16_t> integer(int i, int16_t fallback) const {
        const auto n = number(i);
        if (!n) return std::nullopt;
        return *n ? rt::CInt(**n) : fallback;
    }
    std::optional<int32_t> longValue(int i, int32_t fallback) const {
        const auto n = number(i);
        if (!n) return std::nullopt;
        return *n ? rt::CLng(**n) : fallback;
    }
    std::optional<float> single(int i, float fallback) const {
        const auto n = number(i);
        if (!n) return std::nullopt;
        return *n ? rt::CSng(**n) : fallback;
    }

  private:
    std::optional<std::optional<double>> number(int i) const {
        const auto t = text(i);
        if (!t) return std::nullopt;
        return rt::ParseNumber(*t);
    }
    const clsToken& token_;
};

template <class T, class Apply>
void take(const std::optional<T>& value, Apply apply) {
    if (value) apply(*value);
}

template <class T>
void take(const std::optional<T>& value, T& target) {
    if (value) target = *value;
}

void applyLine(const QString& key, const LineValues& v, SettingsWindow& window) {
    clsInstrument& inst = DefaultInstrument;
    if (key == QLatin1String("EXECUTE COUNT")) {
        take(v.longValue(1, 0), ExecuteCount);
    } else if (key == QLatin1String("SERIAL LOG FILE")) {
        take(v.flag(1, "ON"), SerialLogEnabled);
    } else if (key == QLatin1String("FACTORY RECORD SUFFIX")) {
        take(v.text(1), FactoryRecordSuffix);
    } else if (key == QLatin1String("IRCOMM NUM")) {
        take(v.integer(1, 4), IrCommNum);
    } else if (key == QLatin1String("TIMEOUT")) {
        take(v.integer(1, 3), TimeoutSeconds);
    } else if (key == QLatin1String("RETRY")) {
        take(v.integer(1, 3), RetryLimit);
    } else if (key == QLatin1String("AUTO LOAD MODE")) {
        take(v.flag(1), AutoCalibrationMode);
        take(v.flag(2), AutoLoadMode);
        take(v.flag(3), AutoRemoveData);
    } else if (key == QLatin1String("FONT")) {
        take(v.text(1), SettingsFont.name);
        take(v.single(2, 9.0f), [](float size) { SettingsFont.size = size; });
        take(v.flag(3), SettingsFont.bold);
        take(v.flag(4), SettingsFont.italic);
        take(v.flag(5), SettingsFont.underline);
    } else if (key == QLatin1String("GRAPH COLOR")) {
        GraphColorProperties& graph = window.zvdGraph();
        take(v.longValue(1, 1), [&](int32_t c) { graph.setScaleColor(c); });
        take(v.longValue(2, 0xF0F0F0), [&](int32_t c) { graph.setBackColor(c); });
        take(v.longValue(3, 0xFF4040), [&](int32_t c) { graph.setCursorColor(c); });
        take(v.longValue(4, 0), GraphColors[3]);
        take(v.longValue(5, 0), GraphColors[4]);
    } else if (key == QLatin1String("LIMITDAYS")) {
        take(v.integer(1, 0), LimitDays);
    } else if (key == QLatin1String("CALIB. RANGE")) {
        for (int i = 0; i < 4; ++i)
            take(v.integer(i + 1, 0), [i](int16_t range) { CalibRange[i] = range; });
    } else if (key == QLatin1String("DEFAULTVALUE1")) {
        take(v.integer(1, 90), [&](int16_t x) { inst.setCalLimit(x); });
        take(v.integer(2, 30), [&](int16_t x) { inst.setLcdBackLight(x); });
        take(v.integer(3, 8), [&](int16_t x) { inst.setLcdContrast(x); });
        take(v.integer(4, 1), [&](int16_t x) { inst.setAlarmMode(x); });
        take(v.integer(5, 5), [&](int16_t x) { inst.setIntervals(x); });
        take(v.flag(6), [&](bool x) { inst.setDispID(x ? -1 : 0); });
        take(v.flag(7), [&](bool x) { inst.setDispCalLimit(x ? -1 : 0); });
        take(v.integer(8, 0), [&](int16_t x) { inst.setCalCheck(x); });
    } else if (key == QLatin1String("DEFAULTVALUE2")) {
        take(v.integer(1, 0), [&](int16_t x) { inst.setLunchBreak(x); });
        take(v.integer(2, 0), [&](int16_t x) { inst.setConfermation(x); });
        take(v.integer(3, 1), [&](int16_t x) { inst.setAlarmSilence(x); });
        take(v.integer(4, 1), [&](int16_t x) { inst.setLogOverWrite(x); });
        take(v.integer(5, 128), [&](int16_t x) { inst.setFlowValue(x); });
    } else if (key == QLatin1String("CALUNITONWAIT")) {
        take(v.integer(1, 120), CalUnitOnWait);
    } else if (key == QLatin1String("CALSPANONWAIT")) {
        take(v.integer(1, 120), CalSpanOnWait);
    } else if (key == QLatin1String("CALSPANOFFWAIT")) {
        take(v.integer(1, 30), CalSpanOffWait);
    } else if (key == QLatin1String("DATA SELECT")) {
        take(v.flag(1), [&](bool x) { window.setChkLog(0, x ? 1 : 0); });
        window.setChkLog(1, 0);
        take(v.flag(2), [&](bool x) { window.setChkLog(2, x ? 1 : 0); });
    } else if (key == QLatin1String("SIZE VALUES")) {
        take(v.integer(1, 1), [&](int16_t x) { window.setWindowState(x); });
        take(v.single(2, 7680), [&](float x) { window.setWidth(x); });
        take(v.single(3, 5760), [&](float x) { window.setHeight(x); });
    } else if (key == QLatin1String("PRT WIDTH")) {
        take(v.single(1, 1), PrintLineWidths[0]);
        take(v.single(2, 1), PrintLineWidths[1]);
    } else if (key == QLatin1String("COMPLETELY VIEW")) {
        take(v.flag(1), CompletelyView);
    } else if (key == QLatin1String("TREND SEARCH")) {
        take(v.integer(1, 0), TrendSearchBefore);
        take(v.integer(2, 0), TrendSearchAfter);
    } else if (key == QLatin1String("QM-73")) {
        take(v.text(1), [](const QString& s) { SettingsPassword = DecodePassword(s); });
    }
}

}  // namespace

namespace {

constexpr int TextLinkLeadsNowhere = 5881;

// The settings file whose last reading stopped at a damaged line: the next save keeps it as
// it was before replacing it. Empty when there is none.
QString damagedFile;
// The settings file whose last reading could not read it at all: no save writes over it.
QString unreadableFile;

}  // namespace

QString SettingsBackupPath(const QString& path) {
    return path + QStringLiteral(".bak");
}

namespace {

// The temporary file of a save is the settings file's name with this suffix.
QString temporarySuffix() {
    return QStringLiteral(".tmp");
}

}  // namespace

QString SettingsTemporaryPath(const QString& path) {
    return path + temporarySuffix();
}

void RemoveTemporarySettingsFiles(const QString& path) {
    QStringList temporaries = {SettingsTemporaryPath(path),
                               SettingsTemporaryPath(SettingsBackupPath(path))};
    // A save through a link writes beside the file the link leads to.
    const QString target = platform::LinkTargetOf(path);
    if (target != path) temporaries << SettingsTemporaryPath(target);
    for (const QString& temporary : temporaries) {
        // Only a file of that name: never a folder, never what a link there leads to.
        const QFileInfo info(temporary);
        if (!info.isFile() && !info.isSymLink()) continue;
        QString reason;
        if (!platform::RemoveFile(temporary, &reason))
            qWarning("The temporary settings file %s cannot be removed: %s", qPrintable(temporary),
                     qPrintable(reason));
    }
}

namespace {

// The longest line the tokenizer takes (an Integer's count of characters). A line is read no
// further than its bytes could hold that many: a line of megabytes is never read whole.
constexpr qsizetype LongestLine = 32767;
constexpr qint64 LongestLineBytes = 4 * LongestLine;
// What the user is shown of a damaged line: its beginning.
constexpr qsizetype ShownOfLine = 80;

QString excerpt(const QString& line) {
    return line.size() <= ShownOfLine ? line : line.left(ShownOfLine) + QStringLiteral("...");
}

// The lines of the file up to its end, or up to and with the first line too long to be read
// (`overlong` then set, that line's beginning last).
std::vector<QByteArray> readLines(QFile& file, bool& overlong) {
    std::vector<QByteArray> lines;
    overlong = false;
    while (!file.atEnd()) {
        QByteArray line = file.readLine(LongestLineBytes + 2);
        const bool ended = line.endsWith('\n');
        if (ended) line.chop(1);
        lines.push_back(line);
        if ((!ended && !file.atEnd()) || line.size() > LongestLineBytes) {
            overlong = true;
            break;
        }
        // The last line of a file ending in a line end is an empty one, as a split gives it.
        if (ended && file.atEnd()) lines.emplace_back();
    }
    return lines;
}

}  // namespace

std::optional<SettingsDamage> LoadSettings(const QString& path, SettingsWindow& window) {
    clsToken token;
    token.ClearComments();
    token.ClearDelimiters();
    token.ClearStrings();
    token.AddComments(QStringLiteral(";"));
    token.AddDelimiters(QStringLiteral("\t"));
    token.AddStrings(QStringLiteral("'"));

    QFile file(path);
    // What this read finds decides whether a save may write the file.
    if (unreadableFile == path) unreadableFile.clear();
    // The user's link whose target is missing (a disk that is away) is read as a file that
    // cannot be read: no save makes a file where it leads, nor replaces the link.
    if (const QFileInfo info(path); info.isSymLink() && !info.exists()) {
        unreadableFile = path;
        SettingsDamage damage;
        damage.reason = LoadResText(TextLinkLeadsNowhere, {platform::LinkTargetOf(path)});
        damage.unreadable = true;
        return damage;
    }
    if (!file.exists()) return std::nullopt;
    // Opened so that nothing waits: a FIFO or a device there is a file that cannot be read.
    int error = 0;
    const platform::FileOpen opened = platform::OpenRegularFile(file, {}, error);
    if (opened != platform::FileOpen::Opened) {
        // Nothing of it is known: the defaults stay, and no save may write over it.
        const QString reason = opened == platform::FileOpen::Irregular
                                   ? QStringLiteral("it is no regular file")
                                   : QString::fromLocal8Bit(std::strerror(error));
        qWarning("Settings file %s cannot be read: %s", qPrintable(path), qPrintable(reason));
        unreadableFile = path;
        SettingsDamage damage;
        damage.reason = reason;
        damage.unreadable = true;
        return damage;
    }
    bool overlong = false;
    std::vector<QByteArray> bytes = readLines(file, overlong);
    // UTF-8 when every line read whole is, else Latin-1 throughout (a file of an older
    // installation); the beginning of a line too long to read is taken the same way, a
    // character its end cuts short shown as one that cannot be read.
    QByteArray whole;
    for (size_t i = 0; i + (overlong ? 1 : 0) < bytes.size(); ++i)
        whole += bytes[i] + '\n';
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(whole);
    const bool isUtf8 = !utf8.hasError();
    if (!isUtf8) text = QString::fromLatin1(whole);
    QStringList lines = text.split(QLatin1Char('\n'));
    if (overlong)
        lines.insert(qsizetype(bytes.size()) - 1,
                     isUtf8 ? QString::fromUtf8(bytes.back()) : QString::fromLatin1(bytes.back()));
    if (damagedFile == path) damagedFile.clear();
    int lineNumber = 0;
    for (qsizetype i = 0; i < qsizetype(bytes.size()); ++i) {
        QString line = lines.at(i);
        ++lineNumber;
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        try {
            if (line.size() > LongestLine || (overlong && i + 1 == qsizetype(bytes.size())))
                throw rt::RuntimeError(
                    rt::ErrOverflow,
                    QStringLiteral("The line is longer than %1 characters").arg(LongestLine));
            token.setSource(line);
            if (token.TokenCount() < 2) continue;
            applyLine(token.Tokens(0).toUpper(), LineValues(token), window);
        } catch (const rt::RuntimeError& e) {
            // Reading ends at the first bad value; what was read before it stays. The later
            // settings are still in the file, which the next save keeps beside the new one.
            // The line is told by its number and its beginning: it may be of any length.
            qWarning("Settings file %s: reading stopped at line %d: %s", qPrintable(path),
                     lineNumber, qPrintable(e.description()));
            damagedFile = path;
            return SettingsDamage{lineNumber, excerpt(line), e.description()};
        }
    }
    return std::nullopt;
}

// ---- writing -----------------------------------------------------------------------------

namespace {

constexpr int TextNotSaved = 5862;

QString boolText(bool b) {
    return b ? QStringLiteral("True") : QStringLiteral("False");
}
// A text value in the tokenizer's string quotes, which keep TABs and ";" inside it.
QString quoted(const QString& text) {
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}
QString numberText(int32_t n) {
    return QString::number(n);
}
QString numberText(int16_t n) {
    return QString::number(n);
}
QString numberText(float f) {
    return rt::SingleToText(f);
}

class SettingsWriter {
  public:
    void line(const QString& text) { lines_ << text; }
    void lines(std::initializer_list<const char*> texts) {
        for (const char* t : texts)
            lines_ << QString::fromLatin1(t);
    }
    void key(const char* name, const QStringList& values) {
        lines_ << QString::fromLatin1(name) + QLatin1Char('\t') + values.join(QLatin1Char('\t'));
    }
    QByteArray content() const { return (lines_.join(QLatin1String("\r\n")) + "\r\n").toUtf8(); }

  private:
    QStringList lines_;
};

// Copies a settings file that could not be read to the end to its backup (replacing an older
// backup whole), so that the settings after its damaged line are not lost with the rewrite. A
// settings file is a few kB: of a larger one only the beginning is kept, which is all a reader
// of it would look at, and the copy costs no more time or memory than a real one.
void keepDamagedFile(const QString& path) {
    if (!QFile::exists(path)) return;
    const QString backup = SettingsBackupPath(path);
    QFile source(path);
    try {
        if (!source.open(QIODevice::ReadOnly))
            throw rt::RuntimeError(rt::ErrPathAccess, source.errorString());
        platform::FileReplacement copy(backup, temporarySuffix());
        const QByteArray head = source.read(SettingsBackupLimit);
        if (head.isEmpty() && source.error() != QFileDevice::NoError)
            throw rt::RuntimeError(rt::ErrPathAccess, source.errorString());
        copy.write(head);
        copy.commit();
    } catch (const rt::RuntimeError& e) {
        throw rt::RuntimeError(rt::ErrPathAccess,
                               QStringLiteral("Cannot keep the settings file %1 as %2: %3")
                                   .arg(path, backup, e.description()));
    }
}

// Replaces the file at `path` with `content` so that the file is, whatever happens, either the
// old one or the new one whole.
void replaceFile(const QString& path, const QByteArray& content) {
    try {
        platform::FileReplacement file(path, temporarySuffix());
        file.write(content);
        file.commit();
    } catch (const rt::RuntimeError& e) {
        throw rt::RuntimeError(
            rt::ErrPathAccess,
            QStringLiteral("Cannot write the settings file %1: %2").arg(path, e.description()));
    }
}

}  // namespace

void SaveSettings(const QString& path, SettingsWindow& window, rt::OleDate now) {
    const clsInstrument& inst = DefaultInstrument;
    GraphColorProperties& graph = window.zvdGraph();
    const bool english = LoadResText(101) == QLatin1String("EN");

    SettingsWriter w;
    w.lines({";", ";            QM-73 Data logger program"});
    w.line(QStringLiteral(";      Last update = ") + rt::GeneralDate(now));
    w.lines({";         Delimiter is tab,comma(,) character",
             ";           This file is changed set menu", ";"});
    w.line(QStringLiteral("; Copyright (C) ") +
           QString::fromUtf8(english ? MakerNameEnglish : MakerNameJapanese));
    w.lines({";", ""});
    // The run count starts again at 1 rather than overflow.
    w.key("Execute Count", {numberText(ExecuteCount == std::numeric_limits<int32_t>::max()
                                           ? int32_t(1)
                                           : int32_t(ExecuteCount + 1))});
    w.key("Serial Log File", {SerialLogEnabled ? QStringLiteral("ON") : QStringLiteral("OFF")});
    // Quoted like the font name, so that a TAB or ";" in it reads back; an empty suffix stays
    // a key without a value.
    w.key("Factory Record Suffix",
          {FactoryRecordSuffix.isEmpty() ? QString() : quoted(FactoryRecordSuffix)});
    w.key("IrCOMM Num", {numberText(IrCommNum)});
    w.key("COMM Settings", {CommSettings});
    w.key("Timeout", {numberText(TimeoutSeconds == 0 ? int16_t(3) : TimeoutSeconds)});
    w.key("Retry", {numberText(RetryLimit == 0 ? int16_t(3) : RetryLimit)});
    w.lines(
        {"", ";", "; Formats = Auto calibration, Autoload enable, Auto remove data enable", ";"});
    w.key("Auto Load Mode",
          {boolText(AutoCalibrationMode), boolText(AutoLoadMode), boolText(AutoRemoveData)});
    w.lines({"", ";", "; Formats = Name , Size , Bold , Italic , Underline (Font setting)", ";"});
    w.key("Font", {quoted(SettingsFont.name), numberText(static_cast<float>(SettingsFont.size)),
                   boolText(SettingsFont.bold), boolText(SettingsFont.italic),
                   boolText(SettingsFont.underline)});
    w.lines({"", ";", "; Formats = Scale , Back , Cursor (RGB) (Color datas), Gas , Temperature ",
             ";"});
    w.key("Graph Color", {numberText(graph.ScaleColor()), numberText(graph.BackColor()),
                          numberText(graph.CursorColor()), numberText(GraphColors[3]),
                          numberText(GraphColors[4])});
    w.lines({"", ";", "; Formats = Gas1...Gas4 (Calibration Range ... Serial Value Format)", ";"});
    w.key("Calib. Range", {numberText(CalibRange[0]), numberText(CalibRange[1]),
                           numberText(CalibRange[2]), numberText(CalibRange[3])});
    w.lines({"", ";", "; Gas Instrument Information.", ";",
             "; CalibLimit, BackLightTime, Lcd Contrant, AlarmPattern,   IntervalCycle,  ID "
             "Display, Cal Disp,   Cal Proc"});
    w.key("DefaultValue1", {numberText(inst.CalLimit()), numberText(inst.LcdBackLight()),
                            numberText(inst.LcdContrast()), numberText(inst.AlarmMode()),
                            numberText(inst.Intervals()), boolText(inst.DispID() != 0),
                            boolText(inst.DispCalLimit() != 0), numberText(inst.CalCheck())});
    w.line(QStringLiteral("; LunchBreak, Confermation, AlarmSilence, Overwrite, FlowDA"));
    w.key("DefaultValue2", {numberText(inst.LunchBreak()), numberText(inst.Confermation()),
                            numberText(inst.AlarmSilence()), numberText(inst.LogOverWrite()),
                            numberText(inst.FlowValue())});
    w.lines({";", ";", "; Calibration Timer 1 : Cal.Unit On After Zero Calib, Bitween wait time."});
    w.key("CalUnitOnWait", {numberText(CalUnitOnWait)});
    w.line(QStringLiteral(
        "; Calibration Timer 2 : Span Gas valve On To Span Calib, Bitween wait time."));
    w.key("CalSpanOnWait", {numberText(CalSpanOnWait)});
    w.line(QStringLiteral(
        "; Calibration Timer 3 : Span valve Off After Cal.Unit Off, Bitween wait time."));
    w.key("CalSpanOffWait", {numberText(CalSpanOffWait)});
    w.lines({"", "; ", "; Format = SerialNo,UserID"});
    w.key("Data Select", {boolText(window.chkLog(0) == 1), boolText(window.chkLog(2) == 1)});
    w.lines({"", ";", "; Formats = Form status , Form width , Form height (Twips value)", ";"});
    w.key("Size Values", {numberText(window.WindowState()), numberText(window.Width()),
                          numberText(window.Height())});
    w.lines({"", ";", "; Formats = Printing Data Line Width, Printing Scale Line Width", ";"});
    w.key("Prt Width", {numberText(PrintLineWidths[0]), numberText(PrintLineWidths[1])});
    w.lines({"", ";", "; Format = True or False", ";"});
    w.key("Completely View", {boolText(CompletelyView)});
    w.lines({"", ";", "; ; Format = Before Event , After Event", ";"});
    w.key("Trend Search", {numberText(TrendSearchBefore), numberText(TrendSearchAfter)});
    w.lines({"", ";"});
    w.key("QM-73", {EncodePassword(SettingsPassword)});

    // A file that could not be read holds settings this run does not know.
    if (unreadableFile == path)
        throw rt::RuntimeError(rt::ErrPathAccess, LoadResText(TextNotSaved, {path}));
    if (damagedFile == path) {
        keepDamagedFile(path);
        damagedFile.clear();
    }
    replaceFile(path, w.content());
}

}  // namespace core
