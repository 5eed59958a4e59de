#pragma once

#include <QString>
#include <utility>
#include <vector>

#include "platform/Database.h"

namespace core {

// What one user action found damaged among the stored downloads: values of a download that
// cannot be read as what they stand for, or a trend file that holds records which are no
// samples. The readers note what they find and go on with the rest; the window tells the user
// when the action ends, in one message, what was not told before in this run: a damaged
// download is told once, however often it is opened again.
class DamageFindings {
  public:
    // From now on what the readers note is kept here; findings opened before wait for it.
    DamageFindings();
    // What was not taken goes on to the findings opened before, or, with none, to the log.
    ~DamageFindings();
    DamageFindings(const DamageFindings&) = delete;
    DamageFindings& operator=(const DamageFindings&) = delete;

    bool empty() const { return found_.empty(); }
    // One line per download (and trend file) found damaged and not told before in this run
    // (of the database of the program folder), "" when there is none; what it gives counts as
    // told from now on, and what was found is forgotten.
    QString take();
    // Forgets what was found, telling nothing.
    void discard() { found_.clear(); }

    // One download (and trend file) found damaged, with the text that tells it.
    struct Finding {
        QString name, file;
        int text = 0;
        bool operator==(const Finding&) const = default;
    };

  private:
    friend void NoteFinding(const Finding& found);
    DamageFindings* outer_;
    std::vector<Finding> found_;
};

// While it lives, what the readers note is let go: a listing of the downloads (the tree, the
// list, the details of one chosen in it) tells nothing of them; a download is told when the
// user acts on it.
class UntoldDamage {
  public:
    UntoldDamage() = default;
    ~UntoldDamage() { findings_.discard(); }
    UntoldDamage(const UntoldDamage&) = delete;
    UntoldDamage& operator=(const UntoldDamage&) = delete;

  private:
    DamageFindings findings_;
};

// The title of the message that tells the findings.
QString DamageTitle();

// Notes that a stored download whose name is `name` holds values that cannot be read (`file`
// empty), or that its trend file `file` holds records which are no samples.
void NoteDamagedDownload(const QString& name, const QString& file = QString());
// Notes that the trend file `file` of the stored download `name` is missing or holds fewer
// samples than the download counts: downloading the same record again restores it.
void NoteLackingTrendFile(const QString& name, const QString& file);
// Notes the download of header row `head` (its "Names") when it or its detail rows `rows` met
// values that cannot be read.
void NoteUnreadable(const platform::ResultSet& head,
                    const platform::ResultSet& rows = platform::ResultSet());

}  // namespace core
