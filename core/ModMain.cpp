#include "core/ModMain.h"

#include "runtime/Convert.h"
#include "runtime/Format.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

namespace core {

const QString& ProgramFolder::path() const {
    if (folder_.isEmpty())
        throw rt::RuntimeError(rt::ErrPathAccess,
                               QStringLiteral("The %1 is not set yet: no path can be built from it")
                                   .arg(QString::fromLatin1(what_)));
    return folder_;
}

void DetectWindowsVersion() {
    OsVersionCode = 0;
}

Switches ParseSwitches(const QString& commandLine) {
    const QString upper = commandLine.toUpper();
    Switches s;
    s.switchR = upper.contains(QLatin1String("-R"));
    s.switchU = upper.contains(QLatin1String("-U"));
    s.debugMode = upper.contains(QLatin1String("-DEBUG"));
    return s;
}

void ApplySwitches(const Switches& switches) {
    SwitchR = switches.switchR;
    SwitchU = switches.switchU;
    DebugMode = switches.debugMode;
}

int16_t MakeLangId(uint8_t primary, uint8_t sub) {
    return static_cast<int16_t>((sub << 10) | primary);
}

int32_t MakeLcid(int16_t languageId) {
    return static_cast<int32_t>(static_cast<uint16_t>(languageId));
}

QString GetLocaleText(int32_t lcType, const QLocale& locale) {
    switch (lcType) {
        case LocaleCalendarType:
            return QStringLiteral("1");
        case LocaleShortDate:
            return rt::ShortDatePattern(locale);
        default:
            return QString();
    }
}

bool IsAllowedKeyChar(int keyCode) {
    if (keyCode == 8 || keyCode == 32 || keyCode == '*' || keyCode == '-') return true;
    return (keyCode >= '0' && keyCode <= '9') || (keyCode >= 'A' && keyCode <= 'Z') ||
           (keyCode >= 'a' && keyCode <= 'z');
}

bool IsAllowedTextChar(QChar c) {
    return c.unicode() != 8 && IsAllowedKeyChar(c.unicode());
}

QString EmptyToAsterisk(const QString& text) {
    const QString trimmed = rt::Trim(text);
    return trimmed.isEmpty() ? QStringLiteral("*") : trimmed;
}

int32_t LeadingNumber(const QString& text) {
    if (text.isEmpty()) return 0;
    return rt::CLng(rt::Trim(rt::Left(text, rt::InStr(text, QStringLiteral(" ")))));
}

QString DropLastTwoChars(const QString& text) {
    return text.size() >= 3 ? text.left(text.size() - 2) : QString();
}

QString LastWord(const QString& text) {
    QString t = text;
    while (t.contains(QLatin1Char(' '))) {
        const int p = rt::InStr(t, QStringLiteral(" "));
        t = rt::Trim(rt::Right(text, static_cast<int>(t.size()) - p));
    }
    return t;
}

QString StripControlChars(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (c.unicode() >= 32 && c.unicode() <= 127) out += c;
    return out;
}

void CopyFont(StdFont& target, const StdFont& source) {
    target.bold = source.bold;
    target.charset = source.charset;
    target.italic = source.italic;
    target.name = source.name;
    target.size = source.size;
    target.strikethrough = source.strikethrough;
    target.underline = source.underline;
    target.weight = source.weight;
}

void SetDefaultCommSettings() {
    CommSettings = QStringLiteral("921600,n,8,1");
}

void FindAdapterPort(const QString& hardwareId, platform::UsbPortFinder& finder,
                     platform::Dialogs& dialogs) {
    const std::vector<platform::PortRecord> found = finder.find(hardwareId);
    if (found.size() > 1)
        dialogs.message(LoadResText(20014), LoadResText(20015), platform::MsgIcon::Critical);
    IrCommNum = AdapterPortNumber(found);
}

int AdapterPortNumber(const std::vector<platform::PortRecord>& found) {
    return found.size() == 1 ? AdapterPortNumbers(found).front() : 0;
}

std::vector<int> AdapterPortNumbers(const std::vector<platform::PortRecord>& found) {
    std::vector<int> ports;
    for (const platform::PortRecord& record : found) {
        QString name = record.portName;
        ports.push_back(rt::CInt(name.remove(QStringLiteral("COM"), Qt::CaseSensitive)));
    }
    return ports;
}

QString ProgramTitle() {
    const bool japanese = LoadResText(101) == QLatin1String("JP");
    return LoadResText(5001) + QStringLiteral(" [P.No.") +
           QString::fromLatin1(japanese ? CatalogueNumberJapanese : CatalogueNumberOther) +
           QLatin1Char(']');
}

}  // namespace core
