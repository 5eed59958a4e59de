#include "core/ModMain.h"
#include "mainwindow/library/LogLibrary.h"
#include "trendview/BrowseTable.h"

namespace library {

namespace {

enum Text : int {
    TextNoData = 5301,
    TextNoDataTitle = 5302,
    TextNoInstrument = 5359,
    TextNoInstrumentTitle = 5360,
    TextDelete = 5792,
    TextUnusable = 5833,
    TextCannotRead = 5835,
    TextKindUnreadable = 5842,
    TextSamplingUnreadable = 5843,
    TextKindState = 5844,
    TextSamplingState = 5845,
};
constexpr int InstrumentFrame = 1, DataViewFrame = 3;
constexpr int TypeAlarm = 2;

}  // namespace

LogLibrary::LogLibrary(LibraryWiring wiring) : w_(std::move(wiring)) {
    w_.page.mnuDelete->setText(core::LoadResText(TextDelete));
}

namespace {

// A stored value as the user is shown it: its beginning, whatever it holds.
QString storedText(const platform::ResultSet& head, const QString& column) {
    if (head.isNull(0, column)) return QStringLiteral("Null");
    const QString text = head.text(0, column);
    return text.size() <= 20 ? text : text.left(20) + QStringLiteral("...");
}

}  // namespace

std::optional<LogLibrary::UnusableDownload> LogLibrary::unusableOf(const platform::Database& db,
                                                                   const QString& key) {
    const QChar letter = KeyLetter(key);
    const KindInfo* kind = KindOfDownloadLetter(letter);
    if (!kind && letter != UnreadableKindLetter) return std::nullopt;
    const std::optional<int64_t> seqNo = KeyWholeNumber(key);
    if (!seqNo) return std::nullopt;
    const platform::ResultSet head =
        db.query(QStringLiteral("Select Names, Types, Sampling From Log_Head Where SeqNo = ?"),
                 {*seqNo})
            .lenient();
    const QString name = head.text(0, QStringLiteral("Names"));
    const QString number = QString::number(*seqNo);
    if (!KeySeqNo(key))
        return UnusableDownload{name, *seqNo, core::LoadResText(TextUnusable, {name, number}),
                                core::LoadResText(TextCannotRead, {number})};
    if (head.rowCount() == 0) return std::nullopt;
    const QString types = QStringLiteral("Types"), sampling = QStringLiteral("Sampling");
    const std::optional<int32_t> storedKind = StoredKey(head, 0, head.column(types));
    if (!storedKind || !kind) {
        const QString stored = storedText(head, types);
        return UnusableDownload{name, *seqNo, core::LoadResText(TextKindUnreadable, {name, stored}),
                                core::LoadResText(TextKindState, {stored})};
    }
    // A trend's sampling chooses how it is shown; none stored is the first.
    if ((kind->types == 1 || kind->types == 2) && !head.isNull(0, sampling) &&
        !StoredKey(head, 0, head.column(sampling))) {
        const QString stored = storedText(head, sampling);
        return UnusableDownload{name, *seqNo,
                                core::LoadResText(TextSamplingUnreadable, {name, stored}),
                                core::LoadResText(TextSamplingState, {stored})};
    }
    return std::nullopt;
}

bool LogLibrary::refuseUnusable(int title) {
    if (!unusable_ || w_.dataView.SelectedLogType != 0) return false;
    w_.dialogs.message(unusable_->refusal, core::LoadResText(title),
                       platform::MsgIcon::Exclamation);
    return true;
}

void LogLibrary::cmdDetail_Click() {
    dataview::DataView& view = w_.dataView;
    if (refuseUnusable(TextNoDataTitle)) return;
    if (view.SelectedLogType == 0) {
        w_.dialogs.message(core::LoadResText(TextNoData), core::LoadResText(TextNoDataTitle),
                           platform::MsgIcon::Information);
        return;
    }
    dataview::DataViewPage& p = w_.dataPage;
    if (!p.optBrowse[0]->isChecked() && !p.optBrowse[1]->isChecked())
        p.optBrowse[0]->setChecked(true);
    // Interval trends open condensed unless the settings ask for every sample.
    core::OutlineMode = !core::CompletelyView;
    view.ShowDataView();
    showOnly(DataViewFrame);
    if (view.SelectedLogType == TypeAlarm)
        dataview::ScrollToAlarm(view.records.alarm(), *p.vfgBrowse);
}

void LogLibrary::cmdLogInst_Click() {
    dataview::DataView& view = w_.dataView;
    if (refuseUnusable(TextNoInstrumentTitle)) return;
    if (view.SelectedLogType == 0 || view.SelectedLogSeqNo == 0) {
        w_.dialogs.message(core::LoadResText(TextNoInstrument),
                           core::LoadResText(TextNoInstrumentTitle),
                           platform::MsgIcon::Information);
        return;
    }
    // Into the stored instrument's own object: the connected instrument stays as it is.
    core::clsInstrument& stored = w_.host.storedInstrument();
    stored.LoadDatabase(view.SelectedLogSeqNo);
    w_.host.ShowInstrumentInfo(stored);
    showOnly(InstrumentFrame);
}

void LogLibrary::showOnly(int frame) {
    for (QGroupBox* each : w_.fraMenu)
        each->hide();
    w_.fraMenu[frame]->show();
    w_.host.Form_Resize();
}

}  // namespace library
