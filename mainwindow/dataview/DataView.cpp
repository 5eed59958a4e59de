#include "mainwindow/dataview/DataView.h"

#include <QApplication>
#include <QScopeGuard>

#include "core/LogTexts.h"
#include "core/ModMain.h"
#include "mainwindow/common/WaitCursor.h"

namespace dataview {

using mainwindow::WaitCursor;

namespace {

enum Text : int {
    TextDataView = 5151,
    TextNothingSelected = 5301,
    TextNothingSelectedTitle = 5302,
    TextInterval = 5624,
    TextAlarm = 5625,
    TextAlarmEvents = 5627,
    TextTroubleEvents = 5628,
    TextPowerEvents = 5629,
    TextSensorHistory = 5630,
    TextHistory = 5673,
};

template <class T>
T& made(std::unique_ptr<T>& record) {
    if (!record) record = std::make_unique<T>();
    return *record;
}

}  // namespace

records::clsInterval& BrowseRecords::interval() {
    return made(interval_);
}
records::clsAlarm& BrowseRecords::alarm() {
    return made(alarm_);
}
records::clsHistory& BrowseRecords::history() {
    return made(history_);
}
records::clsAlarmEvent& BrowseRecords::alarmEvent() {
    return made(alarmEvent_);
}
records::clsTroubleEvent& BrowseRecords::troubleEvent() {
    return made(troubleEvent_);
}
records::clsPowerEvent& BrowseRecords::powerEvent() {
    return made(powerEvent_);
}

DataView::DataView(DataViewWiring wiring) : w_(std::move(wiring)) {}

GraphView DataView::graphView() const {
    std::array<QCheckBox*, 7> boxes{};
    for (int i = 0; i < 7; ++i)
        boxes[static_cast<size_t>(i)] = w_.page.chkBrowse[i];
    return {*w_.page.zvdGraph, boxes, w_.page.cmbBrowse};
}

BrowseSource DataView::source() {
    BrowseSource s;
    s.type = SelectedLogType;
    s.seqNo = SelectedLogSeqNo;
    s.database = w_.paths.database();
    switch (SelectedLogType) {
        case TypeInterval:
            s.interval = &records.interval();
            break;
        case TypeAlarm:
            s.alarm = &records.alarm();
            break;
        case TypeHistory:
            s.history = &records.history();
            break;
        case TypeAlarmEvents:
            s.events = &records.alarmEvent();
            break;
        case TypeTroubleEvents:
            s.events = &records.troubleEvent();
            break;
        case TypePowerEvents:
            s.events = &records.powerEvent();
            break;
        default:
            break;
    }
    return s;
}

void DataView::ShowBrowseTable() {
    const WaitCursor wait;
    TableOptions options;
    options.tableShown = w_.page.optBrowse[0]->isChecked();
    options.eventOnly = w_.page.chkEvent->isChecked();
    options.condensed = core::OutlineMode;
    options.debug = core::DebugMode;
    dataview::ShowBrowseTable(source(), options, *w_.page.vfgSummary, *w_.page.vfgBrowse);
}

void DataView::ShowBrowseGraph() {
    GraphSource s;
    s.type = SelectedLogType;
    if (SelectedLogType == TypeInterval) s.interval = &records.interval();
    if (SelectedLogType == TypeAlarm) s.alarm = &records.alarm();
    trendview::ShowBrowseGraph(s, graphView());
}

void DataView::ShowDataView() {
    const WaitCursor wait;
    DataViewPage& p = w_.page;
    const bool shown = !w_.frame->isHidden();
    w_.frame->hide();
    // The page comes back as it was, and the views count as not refilled, on every way out.
    const auto restore = qScopeGuard([this, shown] {
        w_.frame->setVisible(shown);
        BrowseViewRefilled = false;
    });

    // The gas boxes by the connected instrument (their handlers apply them).
    core::clsInstrument& inst = w_.host.instrument();
    for (int gas = 0; gas < 5; ++gas)
        p.chkBrowse[gas]->setChecked(inst.GasEnabled(gas));

    int kindText = 0;
    bool graph = false;
    const auto tableOnlyBoxes = [&p] {
        p.chkEvent->setEnabled(false);
        p.chkOutline->setEnabled(false);
    };
    switch (SelectedLogType) {
        case TypeInterval: {
            kindText = TextInterval;
            p.chkEvent->setEnabled(true);
            p.chkOutline->setEnabled(true);
            // A change of the box reloads the page under the new setting first (its handler).
            p.chkOutline->setChecked(core::OutlineMode);
            records::clsInterval& r = records.interval();
            r.ClearDatas();
            r.setSeqNo(SelectedLogSeqNo);
            r.setBaseDate(rt::OleDate());
            r.ReLoad();
            graph = ValidSampleCount(r) >= GraphSamples;
            break;
        }
        case TypeAlarm: {
            records::clsAlarm& r = records.alarm();
            r.ClearDatas();
            r.setSeqNo(SelectedLogSeqNo);
            r.ReLoad();
            kindText = r.KeptAsInterval() ? TextInterval : TextAlarm;
            tableOnlyBoxes();
            graph = r.DataCount() >= GraphSamples;
            break;
        }
        case TypeHistory: {
            records::clsHistory& r = records.history();
            r.ClearDatas();
            r.setSeqNo(SelectedLogSeqNo);
            r.ReLoad();
            kindText = TextHistory;
            tableOnlyBoxes();
            break;
        }
        case TypeAlarmEvents:
        case TypeTroubleEvents:
        case TypePowerEvents: {
            records::EventRecord& r =
                SelectedLogType == TypeAlarmEvents
                    ? static_cast<records::EventRecord&>(records.alarmEvent())
                : SelectedLogType == TypeTroubleEvents
                    ? static_cast<records::EventRecord&>(records.troubleEvent())
                    : static_cast<records::EventRecord&>(records.powerEvent());
            r.setSeqNo(SelectedLogSeqNo);
            r.ReLoad();
            kindText = SelectedLogType == TypeAlarmEvents     ? TextAlarmEvents
                       : SelectedLogType == TypeTroubleEvents ? TextTroubleEvents
                                                              : TextPowerEvents;
            tableOnlyBoxes();
            break;
        }
        case TypeSensorHistory:
            kindText = TextSensorHistory;
            tableOnlyBoxes();
            break;
        case TypeNone:
            w_.frame->setTitle(core::LoadResText(TextDataView));
            p.optBrowse[0]->setChecked(true);
            p.optBrowse[1]->setEnabled(false);
            for (int i = 0; i < 4; ++i)
                p.cmdBrowse[i]->setEnabled(false);
            p.chkEvent->setEnabled(false);
            p.chkOutline->setEnabled(false);
            w_.dialogs.message(core::LoadResText(TextNothingSelected),
                               core::LoadResText(TextNothingSelectedTitle),
                               platform::MsgIcon::Information, platform::MsgButtons::OK);
            return;
        default:
            return;  // a kind the page does not show: it keeps what it shows
    }

    w_.frame->setTitle(core::LoadResText(TextDataView) + QLatin1Char('(') +
                       core::LoadResText(kindText) + QLatin1Char(')'));
    for (int i = 0; i < 4; ++i)
        p.cmdBrowse[i]->setEnabled(true);
    if (graph) {
        p.optBrowse[1]->setEnabled(true);
        ShowBrowseTable();
        ShowBrowseGraph();
    } else {
        p.optBrowse[0]->setChecked(true);  // runs optBrowse_Click when it changes
        p.optBrowse[1]->setEnabled(false);
        ShowBrowseTable();
    }
}

void DataView::optBrowse_Click(int) {
    const WaitCursor wait;
    DataViewPage& p = w_.page;
    if (p.optBrowse[0]->isChecked()) {
        if (!BrowseViewRefilled) {
            ShowBrowseTable();
            BrowseViewRefilled = true;
        }
        p.zvdGraph->hide();
        p.vfgBrowse->show();
    } else {
        p.zvdGraph->show();
        p.vfgBrowse->hide();
        const bool trend = SelectedLogType == TypeInterval || SelectedLogType == TypeAlarm;
        if (trend && !BrowseViewRefilled) {
            ShowBrowseGraph();
            BrowseViewRefilled = true;
        } else if (trend) {
            // The boxes as the download's gases say (switching back resynchronises them).
            for (int gas = 0; gas < 5; ++gas) {
                const bool enabled = SelectedLogType == TypeInterval
                                         ? records.interval().GasListInfo(gas, 13).toBool()
                                         : records.alarm().GasListInfo(gas, 13).toBool();
                p.chkBrowse[gas]->setChecked(enabled);
                p.chkBrowse[gas]->hide();
                p.zvdGraph->setSampleVisible(gas, enabled);
            }
            p.chkBrowse[4]->setChecked(core::DebugMode);
            p.chkBrowse[4]->setVisible(SelectedLogType == TypeInterval && core::DebugMode);
            p.chkBrowse[5]->show();
            p.chkBrowse[6]->show();
        }
        p.zvdGraph->setFocus();
    }
    w_.host.Form_Resize();
}

void DataView::chkEvent_Click() {
    ShowBrowseTable();
    w_.page.chkOutline->setEnabled(!w_.page.chkEvent->isChecked());
}

void DataView::chkOutline_Click() {
    core::OutlineMode = w_.page.chkOutline->isChecked();
    ShowDataView();
    w_.host.Form_Resize();
}

void DataView::chkLog_Click(int) {
    w_.fields.LogTreeDirty = true;
    w_.host.BuildLogTree();
    QTreeWidget* tree = w_.tvwLog;
    if (tree->selectedItems().isEmpty() && tree->topLevelItemCount() > 0)
        tree->setCurrentItem(tree->topLevelItem(0));
    const QList<QTreeWidgetItem*> selected = tree->selectedItems();
    w_.host.tvwLog_NodeClick(selected.isEmpty() ? nullptr : selected.first());
}

void DataView::chkBrowse_Click(int index) {
    trendview::chkBrowse_Click(graphView(), index);
}

void DataView::cmbBrowse_Click() {
    trendview::cmbBrowse_Click(graphView());
}

}  // namespace dataview
