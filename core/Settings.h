#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "runtime/OleDate.h"

namespace core {

// The three colours of the main window's trend graph that the settings file keeps (RGB Longs).
class GraphColorProperties {
  public:
    virtual ~GraphColorProperties() = default;
    virtual int32_t ScaleColor() const = 0;
    virtual void setScaleColor(int32_t rgb) = 0;
    virtual int32_t BackColor() const = 0;
    virtual void setBackColor(int32_t rgb) = 0;
    virtual int32_t CursorColor() const = 0;
    virtual void setCursorColor(int32_t rgb) = 0;
};

// What the settings file reads from and writes to the main window. A setter may refuse a
// value by raising rt::RuntimeError.
class SettingsWindow {
  public:
    virtual ~SettingsWindow() = default;
    // 0 normal, 1 minimized, 2 maximized; width and height in twips.
    virtual int16_t WindowState() const = 0;
    virtual void setWindowState(int16_t state) = 0;
    virtual float Width() const = 0;
    virtual void setWidth(float twips) = 0;
    virtual float Height() const = 0;
    virtual void setHeight(float twips) = 0;
    // Value of the tree grouping check box chkLog(index): 1 ticked, 0 not.
    virtual int16_t chkLog(int index) const = 0;
    virtual void setChkLog(int index, int16_t value) = 0;
    virtual GraphColorProperties& zvdGraph() = 0;
};

// Where reading the settings file stopped: the damaged line (numbered from 1, without its line
// end; only its beginning when it is long) and why it could not be read; or, `unreadable`, that
// the file could not be read at all.
struct SettingsDamage {
    int lineNumber = 0;
    QString line;
    QString reason;
    bool unreadable = false;
};

// Reads the settings file into the settings values, DefaultInstrument, SettingsFont and the
// window. A missing file changes nothing. Reading ends at the first bad value (values read
// before it stay, the later ones keep their starting values) and the damaged line is returned
// for the user to be told; the next SaveSettings of that file keeps it as it was in
// "<file>.bak". A key line with fewer values than its key takes leaves the rest as they were.
// A file that exists but cannot be read (no permission) changes nothing and is returned as
// unreadable, with the system's reason: no save writes over it until a read of it succeeds.
// A line longer than the tokenizer takes is damage, and the file is read no further than it.
std::optional<SettingsDamage> LoadSettings(const QString& path, SettingsWindow& window);

// The file in which the next save keeps a damaged settings file before replacing it.
QString SettingsBackupPath(const QString& path);
// The most of a damaged settings file that its backup keeps: its beginning, so that the save
// takes the same short time whatever the size of what stands in the file's place.
constexpr qint64 SettingsBackupLimit = 256 * 1024;

// The file a save writes before it replaces the settings file with it.
QString SettingsTemporaryPath(const QString& path);

// Removes what a save that was cut short left: the temporary file (SettingsTemporaryPath) of
// the settings file and of its backup, and the one beside the file a settings file that is a
// link leads to. Only those names: any other "<file>.<something>" is the user's. A file that cannot
// be removed is noted in the program's warnings.
void RemoveTemporarySettingsFiles(const QString& path);

// Replaces the settings file whole with every key (platform::FileReplacement): the content is
// written to the temporary file and is on the disk before it is renamed over the file, so
// that a failure, a kill or a power loss leaves the old file or the new one. A settings file
// that is a symbolic link stays one; the file it leads to gets the settings.
// After a read that stopped at a damaged line, the first save copies the file as it was to
// SettingsBackupPath first (at most SettingsBackupLimit bytes of it). Raises rt::RuntimeError when
// a file cannot be written, and for a file that could not be read when it was last loaded (it is
// left as it is).
void SaveSettings(const QString& path, SettingsWindow& window,
                  rt::OleDate now = rt::OleDate::now());

// The reversible scrambling of the stored password: two characters per character.
QString ScrambleText(const QString& text);
// Raises error 5 when a pair does not stand for a character.
QString UnscrambleText(const QString& text);

// The password as the file holds it (scrambled twice) and back.
QString EncodePassword(const QString& password);
QString DecodePassword(const QString& stored);

}  // namespace core
