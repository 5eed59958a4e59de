#pragma once

#include <QLocale>
#include <QString>
#include <array>
#include <cstdint>

#include "core/ClsInstrument.h"

#include "platform/Dialogs.h"
#include "platform/StringTable.h"
#include "platform/UsbPortFinder.h"

// Shared helpers of the program's main module and the module-level values they own.
namespace core {

using platform::LoadResText;

// ---- Module-level values ----------------------------------------------------------------
// Command-line switches, set once at start-up and unchanged afterwards.
inline bool SwitchR = false;    // "-R": power events, analog values, record file
inline bool SwitchU = false;    // "-U": settings-grid layout
inline bool DebugMode = false;  // "-DEBUG": every failed step shows as failed
// Serial line settings of the instrument port.
inline QString CommSettings;
// Port number of the instrument link; 0 means no serial adapter (infrared is used).
inline int16_t IrCommNum = 0;

// ---- Program folders and views -----------------------------------------------------------
// A folder the start-up sets once. Reading it before then raises rt::RuntimeError (error 75):
// a path built from an empty folder names a place in the working folder, and deleting such a
// folder would empty the folder the program was started from.
class ProgramFolder {
  public:
    explicit ProgramFolder(const char* what) : what_(what) {}
    ProgramFolder& operator=(const QString& folder) {
        folder_ = folder;
        return *this;
    }
    bool isSet() const { return !folder_.isEmpty(); }
    const QString& path() const;
    operator const QString&() const { return path(); }
    // The folder followed by more of a path.
    template <class Rest>
    QString operator+(const Rest& rest) const {
        return path() + rest;
    }

  private:
    const char* what_;
    QString folder_;
};
// The program folder (where QM73.mdb, QM73.ini and SerialLog.log lie) and the data folder of
// the trend files.
inline ProgramFolder AppPath{"program folder"};
inline ProgramFolder DataFolder{"data folder"};
// The data view's condensed display of interval trends.
inline bool OutlineMode = false;

// ---- Settings values (read and written by the settings file) ----------------------------
inline int32_t ExecuteCount = 0;              // runs of the program
inline bool SerialLogEnabled = false;         // communication log on
inline QString FactoryRecordSuffix;           // suffix of the settings record file name
inline int16_t TimeoutSeconds = 0;            // answer time-out of the link
inline int16_t RetryLimit = 0;                // attempts of the link
inline bool AutoCalibrationMode = false;      // "Auto Load Mode" value 1
inline bool AutoLoadMode = false;             // download on connection
inline bool AutoRemoveData = false;           // clear the instrument after the automatic download
inline std::array<int32_t, 6> GraphColors{};  // RGB Longs; 0..4 the trend colour of each gas
inline int16_t LimitDays = 0;
inline std::array<float, 5> CalibRange{};       // calibration range per gas
inline std::array<float, 3> PrintLineWidths{};  // 0 data line, 1 scale line
inline int16_t CalUnitOnWait = 0;
inline int16_t CalSpanOnWait = 0;
inline int16_t CalSpanOffWait = 0;
inline bool CompletelyView = false;
inline int16_t TrendSearchBefore = 0;  // seconds before an event
inline int16_t TrendSearchAfter = 0;   // seconds after an event
// The trend the alarm-trend window opens: its SeqNo, its kind (1 interval, 2 alarm trend) and,
// for an interval trend, its base date (the event that led to it).
inline int32_t TrendSelSeqNo = 0;
inline int32_t TrendSelMode = 0;
inline rt::OleDate TrendSelBaseDate;
inline QString SettingsPassword;
// The settings written to a new instrument.
inline clsInstrument DefaultInstrument;
// The span gas value of each gas as the calibration view found it (-101: none yet).
inline std::array<float, 6> AutoCalibSnapshot{};
// The gas presets of the gas selection: per gas channel 0..4, entries 0..8.
struct GasPreset {
    bool inUse = false;
    QString gasName;
};
inline std::array<std::array<GasPreset, 9>, 5> GasPresetTable{};
// The date pattern of SQL statements (month/day/four-digit year, 24-hour time). The database
// layer binds dates as values, so nothing formats with it; the start-up sets it all the same.
inline QString SqlDateFormat;
// The code of the operating system's version; 0 on this platform.
inline int16_t OsVersionCode = 0;
void DetectWindowsVersion();

// The maker's name as the title screen and the settings file show it.
inline const char* const MakerNameEnglish = "Norvane Sensing Co., Ltd.";
inline const char* const MakerNameJapanese =
    "\u30CE\u30EB\u30F4\u30A7\u30A4\u30F3\u8A08\u6E2C\u682A\u5F0F\u4F1A\u793E";

// The hardware id of the instrument's USB serial adapter.
inline const QString AdapterHardwareId = QStringLiteral("VID_10C4&PID_EA60");

// ---- Command-line switches ----------------------------------------------------------------
struct Switches {
    bool switchR = false;
    bool switchU = false;
    bool debugMode = false;
    bool operator==(const Switches&) const = default;
};
// Each switch counts when it occurs anywhere in the upper-cased command line.
Switches ParseSwitches(const QString& commandLine);
void ApplySwitches(const Switches& switches);

// ---- Locale -------------------------------------------------------------------------------
int16_t MakeLangId(uint8_t primary, uint8_t sub);
int32_t MakeLcid(int16_t languageId);
inline constexpr int32_t LocaleCalendarType = 4105;
inline constexpr int32_t LocaleShortDate = 31;
// A setting of the user's locale: 4105 the calendar type ("1", Gregorian), 31 the short date
// pattern; "" for a setting this platform does not have.
QString GetLocaleText(int32_t lcType, const QLocale& locale = QLocale::system());

// ---- Text helpers -------------------------------------------------------------------------
// Key filter of identifier fields: Backspace, space, "*", "-", digits and ASCII letters.
bool IsAllowedKeyChar(int keyCode);
// A character such a field may hold: one of those keys, Backspace excepted (a key, never text).
bool IsAllowedTextChar(QChar c);
// The key form of user IDs and serial numbers: trimmed, "*" when nothing is left.
QString EmptyToAsterisk(const QString& text);
// The number in front of a list text: the text up to its first space, rounded to a Long.
// 0 for ""; error 13 when there is no space or the first word is not a number.
int32_t LeadingNumber(const QString& text);
// The text without its last two characters; "" when it has fewer than three.
QString DropLastTwoChars(const QString& text);
// The last space-separated word.
QString LastWord(const QString& text);
// Keeps the characters of codes 32..127, in order (frames and record lines are ASCII).
QString StripControlChars(const QString& text);

// ---- Fonts --------------------------------------------------------------------------------
struct StdFont {
    bool bold = false;
    int16_t charset = 0;
    bool italic = false;
    QString name;
    double size = 9.0;
    bool strikethrough = false;
    bool underline = false;
    int16_t weight = 400;
    bool operator==(const StdFont&) const = default;
};
// The display font of every window ("Font" in the settings file).
inline StdFont SettingsFont{false, 0, false, QString(), 9.0, false, false, 400};

// Copies Bold, Charset, Italic, Name, Size, Strikethrough, Underline and Weight, in order.
void CopyFont(StdFont& target, const StdFont& source);

// The program's catalogue number in the window titles: one for the Japanese texts, one for any
// other language.
inline constexpr const char* CatalogueNumberJapanese = "73411";
inline constexpr const char* CatalogueNumberOther = "73412";
// "QM-73 - Data Logger Management Program [P.No.<catalogue number>]" in the table's language.
QString ProgramTitle();

// ---- Instrument port ----------------------------------------------------------------------
void SetDefaultCommSettings();
// Sets IrCommNum to the port of the one adapter that matches, 0 when none or several are
// plugged in (several: one message box). Finder errors reach the caller; IrCommNum stays.
void FindAdapterPort(const QString& hardwareId, platform::UsbPortFinder& finder,
                     platform::Dialogs& dialogs);
// The port number of the one adapter found; 0 when none or several were found.
int AdapterPortNumber(const std::vector<platform::PortRecord>& found);
// The port numbers of every adapter found, in the finder's order.
std::vector<int> AdapterPortNumbers(const std::vector<platform::PortRecord>& found);

}  // namespace core
