#include "alarmtrend/FrmIntermittence.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <cmath>
#include <functional>
#include <utility>

#include "core/LogTexts.h"
#include "core/ModMain.h"
#include "core/StoredDamage.h"
#include "platform/Twips.h"
#include "platform/gui/Fonts.h"
#include "platform/gui/Geometry.h"
#include "platform/gui/WaitCursor.h"
#include "runtime/RuntimeError.h"
#include "trendview/BrowseTable.h"
#include "trendview/ExportFile.h"
#include "trendview/ExportText.h"

namespace alarmtrend {

namespace {

enum Text : int {
    TextDataView = 5151,
    TextTable = 5152,
    TextGraph = 5153,
    TextEvent = 5154,
    TextCursor = 5155,
    TextZoom = 5156,
    TextClipboard = 5157,
    TextExport = 5158,
    TextSummary = 5159,
    TextEventOnly = 5160,
    TextPrint = 5161,
    TextReturn = 9101,
    TextTextFilter = 5701,
    TextBitmapFilter = 5712,
};

enum Command : int { Print = 0, ToClipboard = 1, Export = 2, Summary = 3, Return = 4 };

constexpr int IntervalKind = 1, AlarmKind = 2;

QString res(int id) {
    return core::LoadResText(id);
}

double twips(int pixels) {
    return platform::pixelsToTwips(pixels);
}

// One step of the opening: a step that fails is noted and the next one runs.
void step(const char* name, const std::function<void()>& work) {
    rt::RunStep("Alarm-trend window", name, work);
}

}  // namespace

FrmIntermittence::FrmIntermittence(MainWindowView& main, TrendWindowServices services,
                                   QWidget* parent)
    : QDialog(parent), main_(main), services_(std::move(services)) {
    setObjectName(QStringLiteral("frmIntermittence"));
    setModal(true);
    setSizeGripEnabled(false);
    setWindowFlag(Qt::WindowMinMaxButtonsHint, true);
    const auto named = [](QWidget* w, const QString& name) {
        w->setObjectName(name);
        return w;
    };
    fraMenu = new QGroupBox(this);
    named(fraMenu, QStringLiteral("fraMenu"));
    for (int i = 0; i < 2; ++i)
        named(optBrowse[i] = new QRadioButton(fraMenu), QStringLiteral("optBrowse%1").arg(i));
    chkEvent = new QCheckBox(fraMenu);
    named(chkEvent, QStringLiteral("chkEvent"));
    vfgSummary = new platform::FlexGrid(fraMenu);
    named(vfgSummary, QStringLiteral("vfgSummary"));
    vfgSummary->setExtendLastCol(true);  // the values take the width the labels leave
    vfgBrowse = new platform::FlexGrid(fraMenu);
    named(vfgBrowse, QStringLiteral("vfgBrowse"));
    zvdGraph = new graph::uclZvdGraph(fraMenu);
    named(zvdGraph, QStringLiteral("zvdGraph"));
    for (int i = 0; i < 7; ++i)
        named(chkBrowse[i] = new QCheckBox(fraMenu), QStringLiteral("chkBrowse%1").arg(i));
    lblTitle1 = new QLabel(fraMenu);
    named(lblTitle1, QStringLiteral("lblTitle1"));
    cmbBrowse = new QComboBox(fraMenu);
    named(cmbBrowse, QStringLiteral("cmbBrowse"));
    for (int i = 0; i < 5; ++i)
        named(cmdBrowse[i] = new QPushButton(fraMenu), QStringLiteral("cmdBrowse%1").arg(i));
    for (int i = 0; i < 5; ++i)
        cmdBrowse[i]->setAutoDefault(false);

    // The handlers: a box's runs whenever its value changes, also from code; the view options'
    // on a click.
    for (int i = 0; i < 7; ++i)
        connect(chkBrowse[i], &QCheckBox::toggled, this, [this, i] { chkBrowse_Click(i); });
    connect(cmbBrowse, &QComboBox::currentIndexChanged, this, [this] { cmbBrowse_Click(); });
    for (int i = 0; i < 2; ++i)
        connect(optBrowse[i], &QRadioButton::clicked, this, [this, i] { optBrowse_Click(i); });
    connect(chkEvent, &QCheckBox::clicked, this, [this] { chkEvent_Click(); });
    for (int i = 0; i < 5; ++i)
        connect(cmdBrowse[i], &QPushButton::clicked, this, [this, i] { cmdBrowse_Click(i); });
}

FrmIntermittence::~FrmIntermittence() = default;

void FrmIntermittence::ShowModal() {
    {
        // What the trend's loading found damaged is told once, before the window opens with
        // the rest.
        core::DamageFindings findings;
        Form_Load();
        const QString damage = findings.take();
        if (!damage.isEmpty())
            services_.dialogs.message(damage, core::DamageTitle(), platform::MsgIcon::Exclamation);
    }
    exec();
}

// ---- loading ---------------------------------------------------------------------------------

void FrmIntermittence::Form_Load() {
    step("fonts", [this] { applyDisplayFont(); });
    step("title", [this] { setWindowTitle(core::ProgramTitle()); });
    double width = 0, height = 0;
    step("size", [&] {
        width = main_.Width();
        height = main_.Height();
    });
    step("summary", [this] { vfgSummary->setVisible(main_.summaryVisible()); });
    step("place", [&] { placeOnScreen(width, height); });
    step("captions", [this] { setCaptions(); });
    step("view", [this] { takeOverView(); });
    step("trend", [this] { LoadTrend(); });
    step("shown view", [this] { optBrowse_Click(0); });
    graphFresh_ = false;
}

void FrmIntermittence::applyDisplayFont() {
    const core::StdFont& d = core::SettingsFont;
    const QList<QWidget*> children = findChildren<QWidget*>();
    platform::ApplyWindowFont(
        *this,
        platform::DisplayFont(d.name, d.size, d.bold, d.italic, d.underline, d.strikethrough),
        {children.begin(), children.end()}, {fraMenu});
}

void FrmIntermittence::placeOnScreen(double outerWidth, double outerHeight) {
    // The frame the system draws around the window: this window's own once it was shown,
    // else that of the window it opens over.
    QSize frame = frameGeometry().size() - size();
    if (!isVisible() && parentWidget())
        frame = parentWidget()->window()->frameGeometry().size() - parentWidget()->window()->size();
    const int outerW = std::max(platform::toPixels(outerWidth), platform::toPixels(MinimumWidth));
    const int outerH = std::max(platform::toPixels(outerHeight), platform::toPixels(MinimumHeight));
    setMinimumSize(std::max(0, platform::toPixels(MinimumWidth) - frame.width()),
                   std::max(0, platform::toPixels(MinimumHeight) - frame.height()));
    resize(outerW - frame.width(), outerH - frame.height());
    const QScreen* screen =
        parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->geometry();
    move(area.left() + (area.width() - outerW) / 2, area.top() + (area.height() - outerH) / 2);
}

void FrmIntermittence::setCaptions() {
    fraMenu->setTitle(res(TextDataView));
    optBrowse[0]->setText(res(TextTable));
    optBrowse[1]->setText(res(TextGraph));
    for (int gas = 0; gas < 5; ++gas)
        chkBrowse[gas]->setText(main_.gasName(gas));
    chkBrowse[5]->setText(res(TextEvent));
    chkBrowse[6]->setText(res(TextCursor));
    lblTitle1->setText(res(TextZoom));
    cmdBrowse[Print]->setText(res(TextPrint));
    cmdBrowse[ToClipboard]->setText(res(TextClipboard));
    cmdBrowse[Export]->setText(res(TextExport));
    cmdBrowse[Summary]->setText(res(TextSummary));
    cmdBrowse[Return]->setText(res(TextReturn));
    chkEvent->setText(res(TextEventOnly));
}

void FrmIntermittence::takeOverView() {
    // Which of table and graph shows, and the zoom, follow from the view (optBrowse_Click).
    const bool table = main_.optBrowse(0), graphView = main_.optBrowse(1);
    for (int i = 0; i < 7; ++i)
        chkBrowse[i]->setChecked(main_.chkBrowse(i));
    // Neither may be chosen when the data page had neither: both unchecked then.
    optBrowse[0]->setAutoExclusive(false);
    optBrowse[1]->setAutoExclusive(false);
    optBrowse[0]->setChecked(table);
    optBrowse[1]->setChecked(graphView);
    optBrowse[0]->setAutoExclusive(true);
    optBrowse[1]->setAutoExclusive(true);
}

void FrmIntermittence::LoadTrend() {
    fraMenu->hide();
    const auto shown = qScopeGuard([this] { fraMenu->show(); });
    for (int gas = 0; gas < 5; ++gas)
        chkBrowse[gas]->setChecked(false);
    TrendKind = core::TrendSelMode;
    if (TrendKind != IntervalKind && TrendKind != AlarmKind) return;
    for (int i = Print; i <= Summary; ++i)
        cmdBrowse[i]->setEnabled(true);
    chkEvent->setEnabled(TrendKind == IntervalKind);
    const auto caption = [this](int kind) {
        fraMenu->setTitle(res(TextDataView) + QLatin1Char('(') + res(kind) + QLatin1Char(')'));
    };
    int32_t samples = 0;
    if (TrendKind == AlarmKind) {
        AlarmRecord.ClearDatas();
        AlarmRecord.setSeqNo(core::TrendSelSeqNo);
        AlarmRecord.ReLoad();
        caption(AlarmRecord.KeptAsInterval() ? core::TextIntervalTrend : core::TextAlarmTrend);
        samples = AlarmRecord.DataCount();
    } else {
        caption(core::TextIntervalTrend);
        IntervalRecord.ClearDatas();
        IntervalRecord.setSeqNo(core::TrendSelSeqNo);
        IntervalRecord.setBaseDate(core::TrendSelBaseDate);
        IntervalRecord.ReLoad();
        samples = trendview::ValidSampleCount(IntervalRecord);
    }
    if (samples >= trendview::GraphSamples) {
        optBrowse[1]->setEnabled(true);
        ShowBrowseTable();
        ShowBrowseGraph();
        graphFresh_ = true;
    } else {
        optBrowse[0]->setChecked(true);
        optBrowse[1]->setEnabled(false);
        ShowBrowseTable();
    }
}

// ---- the table and the summary -----------------------------------------------------------------

void FrmIntermittence::ShowBrowseTable() {
    if (TrendKind != IntervalKind && TrendKind != AlarmKind) return;
    const platform::WaitCursor wait;
    trendview::BrowseSource source;
    source.type = TrendKind;
    source.interval = &IntervalRecord;
    source.alarm = &AlarmRecord;
    trendview::TableOptions options;
    options.eventOnly = chkEvent->isChecked();
    options.debug = core::DebugMode;
    options.trendWindow = true;
    trendview::ShowBrowseTable(source, options, *vfgSummary, *vfgBrowse);
    // A new interval table starts at its top, not where the last table was left; an alarm
    // table is scrolled to its alarm once it has its size on screen.
    if (TrendKind == IntervalKind) vfgBrowse->setTopRow(1);
    centrePending_ = TrendKind == AlarmKind;
    centreAlarmRowLater();
}

void FrmIntermittence::chkEvent_Click() {
    ShowBrowseTable();
}

// ---- the graph ---------------------------------------------------------------------------------

trendview::GraphView FrmIntermittence::graphView() const {
    return {*zvdGraph, chkBrowse, cmbBrowse};
}

void FrmIntermittence::ShowBrowseGraph() {
    trendview::ShowBrowseGraph({TrendKind, &IntervalRecord, &AlarmRecord, true}, graphView());
}

void FrmIntermittence::chkBrowse_Click(int index) {
    trendview::chkBrowse_Click(graphView(), index);
}

void FrmIntermittence::cmbBrowse_Click() {
    trendview::cmbBrowse_Click(graphView());
}

void FrmIntermittence::optBrowse_Click(int) {
    const platform::WaitCursor wait;
    const bool sampled = AlarmRecord.KeptAsInterval();
    if (tableView()) {
        zvdGraph->hide();
        vfgBrowse->show();
        centreAlarmRowLater();
        setWindowIcon(
            main_.picture(sampled ? QStringLiteral("IntervalG") : QStringLiteral("AlarmG")));
    } else {
        vfgBrowse->hide();
        zvdGraph->show();
        // The graph the trend was just loaded into is not filled a second time.
        if (!std::exchange(graphFresh_, false)) ShowBrowseGraph();
        setWindowIcon(
            main_.picture(sampled ? QStringLiteral("Interval0") : QStringLiteral("Alarm0")));
    }
    Form_Resize();
}

void FrmIntermittence::refreshGraph() {
    if (zvdGraph->isHidden()) return;
    zvdGraph->Refresh();
    zvdGraph->setFocus();
}

// ---- layout ------------------------------------------------------------------------------------

void FrmIntermittence::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Form_Resize();
}

void FrmIntermittence::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centreAlarmRowLater();
}

void FrmIntermittence::centreAlarmRowLater() {
    if (!centrePending_) return;
    QTimer::singleShot(0, this, [this] {
        if (!centrePending_ || !isVisible() || vfgBrowse->isHidden()) return;
        centrePending_ = false;
        trendview::ScrollToAlarm(AlarmRecord, *vfgBrowse);
    });
}

void FrmIntermittence::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) Form_Resize();
}

void FrmIntermittence::Form_Resize() {
    if (layingOut_) return;
    layingOut_ = true;
    const auto done = qScopeGuard([this] { layingOut_ = false; });
    const auto measured = [this] {
        TrendLayoutInput in;
        in.minimized = isMinimized();
        const QSize outer = isVisible() ? frameGeometry().size() : size();
        in.width = twips(outer.width());
        in.height = twips(outer.height());
        in.borderWidth = twips(outer.width() - width());
        in.borderHeight = twips(outer.height() - height());
        in.graphView = optBrowse[1]->isChecked();
        in.summaryVisible = !vfgSummary->isHidden();
        in.browseCols = vfgBrowse->Cols();
        in.summaryCols = vfgSummary->Cols();
        const QSize label = lblTitle1->sizeHint();
        in.zoomLabelWidth = twips(label.width());
        in.zoomLabelHeight = twips(label.height());
        return in;
    };
    TrendLayoutInput in = measured();
    TrendLayout l = LayOutTrendWindow(in);
    if (!l.laidOut) return;
    // Below the minimum size: the window grows to it first.
    if (l.width > in.width + 1 || l.height > in.height + 1) {
        resize(platform::toPixels(l.width - in.borderWidth),
               platform::toPixels(l.height - in.borderHeight));
        in = measured();
        l = LayOutTrendWindow(in);
    }
    layout_ = l;

    platform::placeWidget(fraMenu, l.fraMenu);
    if (!l.graphOptionsShown)
        for (QCheckBox* box : chkBrowse)
            box->hide();
    lblTitle1->setVisible(l.graphOptionsShown);
    cmbBrowse->setVisible(l.graphOptionsShown);
    for (int i = 0; i < 2; ++i)
        platform::placeWidget(optBrowse[i], l.optBrowse[i]);
    platform::placeWidget(chkEvent, l.chkEvent);
    if (l.vfgSummary) platform::placeWidget(vfgSummary, *l.vfgSummary);
    platform::placeWidget(vfgBrowse, l.vfgBrowse);
    platform::placeWidget(zvdGraph, l.zvdGraph);
    for (int i = 0; i < 7; ++i)
        platform::placeWidget(chkBrowse[i], l.chkBrowse[i]);
    platform::placeWidget(lblTitle1, l.lblTitle1);
    platform::placeWidget(cmbBrowse, l.cmbBrowse);
    for (int i = 0; i < 5; ++i)
        platform::placeWidget(cmdBrowse[i], l.cmdBrowse[i]);
    for (size_t c = 0; c < l.browseColWidths.size(); ++c)
        if (l.browseColWidths[c])
            vfgBrowse->setColWidth(static_cast<int>(c), static_cast<int>(*l.browseColWidths[c]));
    for (size_t c = 0; c < l.summaryColWidths.size(); ++c)
        if (l.summaryColWidths[c])
            vfgSummary->setColWidth(static_cast<int>(c), static_cast<int>(*l.summaryColWidths[c]));
}

// ---- commands ----------------------------------------------------------------------------------

void FrmIntermittence::cmdBrowse_Click(int index) {
    try {
        switch (index) {
            case Print:
                print();
                break;
            case ToClipboard:
                copyToClipboard();
                break;
            case Export:
                // A cancelled dialog or a failed write ends the command here.
                if (!(tableView() ? exportText() : exportBitmap())) return;
                break;
            case Summary:
                vfgSummary->setVisible(vfgSummary->isHidden());
                Form_Resize();
                break;
            case Return:
                done(QDialog::Accepted);
                return;
            default:
                break;
        }
    } catch (const std::exception& e) {
        // A command that fails ends where it failed; nothing of the trend is lost.
        qWarning("Alarm-trend window, command %d: %s", index, e.what());
        return;
    }
    refreshGraph();
}

void FrmIntermittence::print() {
    if (!services_.printForms) return;
    const std::unique_ptr<printing::PrintForm> form = services_.printForms();
    form->PrintType = tableView() ? 0 : -1;
    form->DataType = TrendKind;
    form->SeqNo = 0;
    if (TrendKind == IntervalKind)
        form->IntervalData = &IntervalRecord;
    else
        form->AlarmData = &AlarmRecord;
    // An interval trend's list is this window's table.
    form->Table = vfgBrowse;
    form->GoPrinter();
}

QString FrmIntermittence::ExportBrowseData(const QString& separator) const {
    trendview::ExportSource source;
    // Anything but an interval trend exports the alarm trend, as loaded (or empty).
    source.type = TrendKind == IntervalKind ? IntervalKind : AlarmKind;
    source.interval = &IntervalRecord;
    source.alarm = &AlarmRecord;
    source.debug = core::DebugMode;
    source.kindBySampling = true;
    return trendview::ExportBrowseData(source, separator, nullptr);
}

void FrmIntermittence::copyToClipboard() {
    const platform::WaitCursor wait;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    if (tableView())
        clipboard->setText(ExportBrowseData(QStringLiteral("\t")));
    else
        clipboard->setImage(zvdGraph->Picture());
}

bool FrmIntermittence::exportText() {
    return trendview::RunExport(
        services_.dialogs, LastExportFile, services_.programFolder, QStringLiteral("csv"),
        TextTextFilter, [this](const QString& path, int filter) {
            const platform::WaitCursor wait;
            const QString separator = trendview::ExportSeparator(filter);
            return trendview::WriteExportFile(
                services_.dialogs, path, [&](trendview::LineSink& sink) {
                    sink.write(ExportBrowseData(separator) + QStringLiteral("\r\n"));
                });
        });
}

bool FrmIntermittence::exportBitmap() {
    return trendview::RunExport(
        services_.dialogs, LastExportFile, services_.programFolder, QStringLiteral("bmp"),
        TextBitmapFilter, [this](const QString& path, int) {
            return trendview::WriteBitmapFile(services_.dialogs, path, zvdGraph->Picture());
        });
}

}  // namespace alarmtrend
