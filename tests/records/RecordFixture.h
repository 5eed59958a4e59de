#pragma once

#include <gtest/gtest.h>

#include <QDir>

#include "core/ModMain.h"
#include "core/Schema.h"
#include "platform/Database.h"
#include "tests/support/TempProgramFolder.h"

namespace testsupport {

// A program folder with a fresh database and data folder, set as the program's folders.
class RecordFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        core::AppPath = folder.path();
        core::DataFolder = folder.paths().dataFolder();
        QDir().mkpath(core::DataFolder);
        core::CreateDatabase(folder.paths().database());
        core::UpgradeDatabase(db());
        core::DebugMode = false;
        core::OutlineMode = false;
    }
    void TearDown() override {
        platform::Database::close(folder.paths().database());
        core::DebugMode = false;
        core::OutlineMode = false;
    }
    platform::Database db() const { return platform::Database::open(folder.paths().database()); }
    int rows(const QString& table) const {
        return db().query(QStringLiteral("Select * From %1").arg(table)).rowCount();
    }
    QString serialLog() const {
        QFile f(folder.paths().serialLog());
        if (!f.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(f.readAll());
    }

    TempProgramFolder folder;
};

// Feeds a block the way the link does: a check pass, then, when every line passed, the apply
// pass from the same routing state.
template <class Collection>
bool FeedBlock(Collection& c, const QStringList& block) {
    c.SaveRoutingState();
    bool all = true;
    for (const QString& line : block)
        all = c.SetDatas(line, true) && all;
    c.RestoreRoutingState();
    if (!all) return false;
    for (const QString& line : block)
        c.SetDatas(line, false);
    return true;
}

// Record lines as the instrument sends them.
namespace lines {

inline QString pad(QString s, int length) {
    while (s.size() < length)
        s += QLatin1Char(' ');
    return s;
}
// Numbers stand right-aligned in their fields.
inline QString right(QString s, int length) {
    while (s.size() < length)
        s.prepend(QLatin1Char(' '));
    return s;
}
// Header: start yymmdd hhnnss, interval seconds.
inline QString AD(const QString& kk, const QString& date, const QString& time,
                  const QString& interval) {
    return pad("/" + kk + "AD" + date + time + interval, 25);
}
inline QString AA(const QString& kk, const QString& user, const QString& station) {
    return "/" + kk + "AA" + pad(user, 10) + pad(station, 10);
}
inline QString AB(const QString& kk, const QString& serial, QChar sampling = '1') {
    return "/" + kk + "AB" + pad(serial, 12) + "000000" + sampling;
}
// Gas list: gas 4 name (up to 12 characters in four pieces), full scale and Desit texts of
// five characters; gas 5 name (4 characters), full scale and Desit.
inline QString AC(const QString& kk, const QString& gas4, const QString& fs4, const QString& desit4,
                  const QString& gas5, const QString& fs5, const QString& desit5) {
    const QString name = pad(gas4, 12);
    QString line = "/" + kk + "AC";
    line += name.mid(0, 3) + QString(10, '-') + name.mid(3, 3) + QString(10, '-') + name.mid(6, 3) +
            QString(10, '-') + name.mid(9, 3);
    line += right(fs4, 5) + right(desit4, 5) + pad(gas5, 4) + right(fs5, 5) + right(desit5, 5);
    return line;
}
inline QString summary(const QString& kk, const QString& code, const QString& v1, const QString& v2,
                       const QString& date, const QString& time) {
    return "/" + kk + code + pad(v1, 5) + pad(v2, 5) + date + time;
}
// A plain data line: status number and offset in seconds.
inline QString data(const QString& kk, const QString& code, const QString& status,
                    const QString& offset) {
    return "/" + kk + code + status + QString(17, '0') + offset;
}
// A compressed continuation line carrying the words as digit pairs.
inline QString words(const QStringList& hexWords) {
    QString out;
    for (const QString& w : hexWords)
        for (QChar c : w)
            out += QChar(48 + QString(c).toInt(nullptr, 16));
    return out;
}

}  // namespace lines

}  // namespace testsupport
