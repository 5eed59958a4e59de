#include "mainwindow/shell/FrmMain.h"
#include "platform/TerminationSignals.h"

#include <QApplication>
#include <QResizeEvent>
#include <QScopeGuard>
#include <QScreen>
#include <QSessionManager>
#include <algorithm>
#include <cmath>

#include "core/ModMain.h"
#include "core/StoredDamage.h"
#include "link/Frame.h"
#include "mainwindow/shell/Captions.h"
#include "mainwindow/shell/DesignTable.h"
#include "mainwindow/shell/LayoutApply.h"
#include "mainwindow/shell/WindowPlacement.h"
#include "platform/Twips.h"
#include "platform/Waiting.h"
#include "platform/gui/Fonts.h"
#include "runtime/Format.h"

namespace shell {

namespace {

// The grids whose column widths the layout sets.
const char* const LaidOutGrids[] = {"vfgInst", "vfgInstSensor", "vfgHistory", "vfgOption",
                                    "vfgCal",  "vfgBrowse",     "vfgSummary", "vfgLog"};

double twips(int pixels) {
    return platform::pixelsToTwips(pixels);
}

// Message texts of the window.
enum ShellText : int {
    TextSerialPortStandby = 5541,
};

}  // namespace

// ---- Form_Initialize ----------------------------------------------------------------------

FrmMain::FrmMain(WindowServices services, QWidget* parent)
    : QMainWindow(parent),
      services_(std::move(services)),
      tmrInter(this),
      uclVY5103(services_.serial, services_.infrared, this) {
    setObjectName(QStringLiteral("frmMain"));
    // Every print made from the window, the alarm-trend window's included, is one of its long
    // commands.
    services_.printForms = mainwindow::CountedAsCommands(std::move(services_.printForms), busy);
    core::SetDefaultCommSettings();
    core::AppPath = services_.paths.programFolder();
    QFont font = QApplication::font();
    font.setPointSizeF(9);
    setFont(font);
    platform::PreferProportionalJapanese(font.family());
    // Frames carry their caption on the top border line, with their contents below it.
    setStyleSheet(QStringLiteral(
        "QGroupBox { border: 1px solid #a0a0a0; border-radius: 3px; margin-top: 7px; }"
        "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
        " left: 6px; padding: 0px 3px; }"));

    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);
    mainwindow::ControlFactory factory(registry_);
    fraMenu.make(factory, client_, QStringLiteral("fraMenu"), 6);
    cmdInst.make(factory, client_, QStringLiteral("cmdInst"), 6);
    downloadPage = std::make_unique<download::DownloadPage>(fraMenu[0], factory);
    instrumentPage = std::make_unique<settings::InstrumentPage>(fraMenu[1], factory);
    libraryPage = std::make_unique<library::LibraryPage>(fraMenu[2], factory);
    dataPage = std::make_unique<dataview::DataViewPage>(fraMenu[3], factory);
    lastCalibrationPage = std::make_unique<library::LastCalibrationPage>(fraMenu[4], factory);
    setPage = std::make_unique<settings::SetPage>(fraMenu[5], factory);
    tmrInter.setInterval(100);
    connect(&tmrInter, &QTimer::timeout, this, [this] {
        try {
            tmrInter_Timer();
        } catch (const std::exception& e) {
            qWarning("Clock: %s", e.what());
        }
    });

    // Every control where the window definition puts it, with its fixed caption.
    for (const auto& [key, rect] : DesignRects()) {
        geometry_.rect(key.name, key.index) = rect;
        if (QWidget* widget = registry_.find(key)) platform::placeWidget(widget, rect);
    }
    for (const auto& [key, text] : DesignCaptions())
        SetCaption(registry_.get<QWidget>(key.name, key.index), text);
    SetCaption(setPage->cmdOptionDisp[0],
               QStringLiteral("%1(%2)").arg(font.family()).arg(font.pointSizeF()));
    // The window definition's size, kept until the settings or a first run size it.
    resize(1024, 720);
    // One page at a time: the Download page until the menu chooses another.
    for (int i = 1; i < fraMenu.count(); ++i)
        fraMenu[i]->hide();

    cmdInst.onClicked(this,
                      [this](int index) { guarded([this, index] { cmdInst_Click(index); }); });
    // A grid's columns are shares of its inside: a vertical scroll bar that comes or goes
    // lays the window out again, once the grid has settled.
    for (const char* name : LaidOutGrids)
        connect(registry_.get<platform::FlexGrid>(QString::fromLatin1(name)),
                &platform::FlexGrid::clientWidthChanged, this, [this] {
                    if (relayoutPending_) return;
                    relayoutPending_ = true;
                    QMetaObject::invokeMethod(
                        this,
                        [this] {
                            relayoutPending_ = false;
                            try {
                                Form_Resize();
                            } catch (const std::exception& e) {
                                qWarning("Layout: %s", e.what());
                            }
                        },
                        Qt::QueuedConnection);
                });
    connect(qApp, &QGuiApplication::commitDataRequest, this, &FrmMain::sessionCommitData);

    // The link waits through the window's pump; its events, the progress window and the
    // Download page's commands.
    uclVY5103.setEventPump(&services_.pump);
    uclVY5103.setPortSearch({[this] { return LocateInstrumentPort(); },
                             [this](int port) { SelectInstrumentPort(port); }});
    // Nothing the window starts on its own (an automatic download, its close) begins inside a
    // wait.
    platform::setWaitObserver(
        [this](bool begins) { begins ? busy.waitBegins() : busy.waitEnds(); });
    frmUpload = std::make_unique<download::FrmUpload>(uclVY5103, this);
    downloads = std::make_unique<download::Downloads>(
        uclVY5103, logs, fields, downloadPage->statusLog(), *this, services_.paths);
    const download::DownloadWiring wiring{
        *downloadPage, cmdInst[4], cmdInst[5], setPage->cmdOption, *frmUpload,     uclVY5103,
        logs,          fields,     busy,       services_.dialogs,  services_.pump, *this};
    downloadCommands = std::make_unique<download::DownloadCommands>(wiring, *downloads);
    linkEvents = std::make_unique<download::LinkEvents>(wiring, *downloadCommands, this);
    busy.whenIdle([this] {
        if (fields.Terminating)
            QMetaObject::invokeMethod(
                this, [this] { finishTermination(); }, Qt::QueuedConnection);
    });
    downloadPage->cmdDown.onClicked(this, [this](int index) {
        guarded([this, index] { downloadCommands->cmdDown_Click(index); });
    });
    for (int i = 0; i < downloadPage->chkAutoLoad.count(); ++i)
        connect(downloadPage->chkAutoLoad[i], &QCheckBox::clicked, this,
                [this, i] { guarded([this, i] { downloadCommands->chkAutoLoad_Click(i); }); });
    instrumentSettings =
        std::make_unique<settings::InstrumentSettings>(settings::InstrumentSettingsWiring{
            *setPage, downloadPage->txtSuffix, fields, uclVY5103, linkEvents->LiveReadings, *this});
    calibrationView = std::make_unique<settings::CalibrationView>(settings::CalibrationWiring{
        *setPage, cmdInst, fields, busy, uclVY5103, logs, *frmUpload, linkEvents->LiveReadings,
        services_.dialogs, *instrumentSettings, *this});
    settingsCommands =
        std::make_unique<settings::SettingsCommands>(settings::SettingsCommandsWiring{
            *setPage, cmdInst, busy, uclVY5103, logs, *frmUpload, services_.dialogs,
            services_.paths, *instrumentSettings, *calibrationView, *this});
    setPage->cmdOption.onClicked(
        this, [this](int i) { guarded([this, i] { settingsCommands->cmdOption_Click(i); }); });
    for (int i = 0; i < setPage->cmdOptionDisp.count(); ++i)
        connect(setPage->cmdOptionDisp[i], &QAbstractButton::clicked, this,
                [this, i] { guarded([this, i] { settingsCommands->cmdOptionDisp_Click(i); }); });
    setPage->cmdCal.onClicked(
        this, [this](int i) { guarded([this, i] { calibrationView->cmdCal_Click(i); }); });
    instrumentInfo = std::make_unique<settings::InstrumentInfo>(
        settings::InstrumentInfoWiring{*instrumentPage, fraMenu, fields, *this});
    connectDataView();
    connectLibrary();
}

void FrmMain::connectDataView() {
    dataView = std::make_unique<dataview::DataView>(dataview::DataViewWiring{
        *dataPage, fraMenu[3], fraMenu[2], libraryPage->tvwLog, cmdInst, *frmUpload, fields, busy,
        services_.dialogs, services_.paths, *this, services_.printForms});
    // The handlers run when a value changes, whether the user or the program's code changed
    // it, as the page expects.
    dataview::DataView* view = dataView.get();
    for (int i = 0; i < dataPage->optBrowse.count(); ++i)
        connect(dataPage->optBrowse[i], &QRadioButton::toggled, this, [this, view, i](bool on) {
            if (on) guarded([view, i] { view->optBrowse_Click(i); });
        });
    connect(dataPage->chkEvent, &QCheckBox::toggled, this,
            [this, view] { guarded([view] { view->chkEvent_Click(); }); });
    connect(dataPage->chkOutline, &QCheckBox::toggled, this,
            [this, view] { guarded([view] { view->chkOutline_Click(); }); });
    for (int i = 0; i < dataPage->chkBrowse.count(); ++i)
        connect(dataPage->chkBrowse[i], &QCheckBox::toggled, this,
                [this, view, i] { guarded([view, i] { view->chkBrowse_Click(i); }); });
    connect(dataPage->cmbBrowse, &QComboBox::currentIndexChanged, this,
            [this, view] { guarded([view] { view->cmbBrowse_Click(); }); });
    dataPage->cmdBrowse.onClicked(
        this, [this, view](int i) { guarded([view, i] { view->cmdBrowse_Click(i); }); });
    connect(dataPage->zvdGraph, &graph::uclZvdGraph::MouseDown, this,
            [this, view](int b, int s, float x, float y) {
                guarded([=] { view->zvdGraph_MouseDown(b, s, x, y); });
            });
    connect(dataPage->zvdGraph, &graph::uclZvdGraph::MouseMove, this,
            [this, view](int b, int s, float x, float y) {
                guarded([=] { view->zvdGraph_MouseMove(b, s, x, y); });
            });
    connect(dataPage->vfgBrowse, &platform::FlexGrid::mousePressed, this,
            [this, view] { guarded([view] { view->vfgBrowse_MouseDown(); }); });
    connect(dataPage->vfgBrowse, &platform::FlexGrid::mouseMoved, this,
            [this, view] { guarded([view] { view->vfgBrowse_MouseMove(); }); });
    for (int i = 0; i < libraryPage->chkLog.count(); ++i)
        connect(libraryPage->chkLog[i], &QCheckBox::toggled, this,
                [this, view, i] { guarded([view, i] { view->chkLog_Click(i); }); });
}

void FrmMain::connectLibrary() {
    askPassword = [this] { return library::AskSettingsPassword(services_.dialogs, this); };
    logLibrary = std::make_unique<library::LogLibrary>(
        library::LibraryWiring{*libraryPage, fraMenu, fields, services_.dialogs, services_.paths,
                               askPassword, *dataView, *dataPage, *this});
    library::LogLibrary* lib = logLibrary.get();
    platform::KeyedTree* tree = libraryPage->tvwLog;
    platform::KeyedList* list = libraryPage->lvwLog;
    connect(tree, &platform::KeyedTree::MouseDown, this,
            [this, lib](int b, int s, const QPoint& p) {
                guarded([=] { lib->tvwLog_MouseDown(b, s, p); });
            });
    connect(tree, &platform::KeyedTree::NodeClick, this,
            [this, lib](QTreeWidgetItem* node) { guarded([=] { lib->tvwLog_NodeClick(node); }); });
    connect(list, &platform::KeyedList::MouseDown, this,
            [this, lib](int b, int s, const QPoint& p) {
                guarded([=] { lib->lvwLog_MouseDown(b, s, p); });
            });
    connect(list, &platform::KeyedList::ItemClick, this,
            [this, lib](QTreeWidgetItem* item) { guarded([=] { lib->lvwLog_ItemClick(item); }); });
    connect(list, &platform::KeyedList::DblClick, this,
            [this, lib] { guarded([lib] { lib->lvwLog_DblClick(); }); });
    connect(list, &platform::KeyedList::ColumnClick, this,
            [this, lib](int column) { guarded([=] { lib->lvwLog_ColumnClick(column); }); });
    connect(libraryPage->cmdDetail, &QAbstractButton::clicked, this,
            [this, lib] { guarded([lib] { lib->cmdDetail_Click(); }); });
    connect(libraryPage->cmdLogInst, &QAbstractButton::clicked, this,
            [this, lib] { guarded([lib] { lib->cmdLogInst_Click(); }); });
    connect(libraryPage->mnuDelete, &QAction::triggered, this,
            [this, lib] { guarded([lib] { lib->mnuDelete_Click(); }); });

    calibrationList = std::make_unique<library::CalibrationList>(
        library::CalibrationListWiring{*lastCalibrationPage, fraMenu[4], fields, services_.dialogs,
                                       services_.paths, askPassword, *this, services_.printForms});
    library::CalibrationList* cal = calibrationList.get();
    library::LastCalibrationPage& page = *lastCalibrationPage;
    for (int i = 0; i < page.optHistory.count(); ++i)
        connect(page.optHistory[i], &QRadioButton::toggled, this, [this, cal, i](bool on) {
            if (on) guarded([cal, i] { cal->optHistory_Click(i); });
        });
    connect(page.vfgHistory, &platform::FlexGrid::mousePressed, this,
            [this, cal](Qt::MouseButton button, int row, int) {
                guarded([=] { cal->vfgHistory_MouseDown(platform::ButtonOf(button), row); });
            });
    connect(page.vfgHistory, &platform::FlexGrid::RowColChange, this,
            [this, cal] { guarded([cal] { cal->vfgHistory_RowColChange(); }); });
    connect(page.mnuHistDel, &QAction::triggered, this,
            [this, cal] { guarded([cal] { cal->mnuHistDel_Click(); }); });
    connect(page.cmdLastCal, &QAbstractButton::clicked, this,
            [this, cal] { guarded([cal] { cal->cmdLastCal_Click(); }); });
}

void FrmMain::guarded(const std::function<void()>& handler) {
    core::DamageFindings findings;
    // A handler that another one runs directly (a box it sets) is part of that action; one run
    // from the events of a wait (a click during a download) is an action of its own, told when
    // it ends, not when the long command around it does.
    const int depth = platform::WaitDepth();
    const bool own = actions_.empty() || actions_.back().depth < depth;
    if (own) actions_.push_back({depth, {}});
    const size_t action = actions_.size() - 1;
    try {
        handler();
    } catch (const std::exception& e) {
        QStringList& errors = actions_[action].errors;
        const QString error = QString::fromUtf8(e.what());
        if (!errors.contains(error)) errors << error;
    }
    // What a handler inside another found is told with the action's own.
    if (!own) return;
    const QString damage = findings.take();
    const QStringList errors = std::move(actions_.back().errors);
    actions_.pop_back();
    if (errors.isEmpty() && damage.isEmpty()) return;
    // A failing command is told, and the window goes on; so is the damage in the stored data
    // that the action came upon, which the readers went past.
    QStringList lines;
    if (!damage.isEmpty()) lines << damage;
    lines << errors;
    services_.dialogs.message(
        lines.join(QStringLiteral("\r\n")),
        errors.isEmpty() ? core::DamageTitle() : QStringLiteral("QM-73"),
        errors.isEmpty() ? platform::MsgIcon::Exclamation : platform::MsgIcon::Critical);
}

FrmMain::~FrmMain() {
    platform::setWaitObserver({});
    platform::setUnsavedAtTheEnd({});
}

void FrmMain::showDisplaySettings() {
    SetCaption(setPage->cmdOptionDisp[0],
               QStringLiteral("%1(%2)").arg(core::SettingsFont.name).arg(core::SettingsFont.size));
    for (int i = 0; i < 5; ++i)
        setPage->cmdOptionDisp[i + 1]->setBackColor(core::GraphColors[i]);
}

void FrmMain::ReloadSettings() {
    readSettingsFile();
    showDisplaySettings();
    try {
        applyDisplayFont();
    } catch (const std::exception& e) {
        qWarning("Fonts: %s", e.what());
    }
}

void FrmMain::applyDisplayFont() {
    const core::StdFont& d = core::SettingsFont;
    std::vector<QWidget*> controls, frames(fraMenu.begin(), fraMenu.end());
    for (const auto& [key, widget] : registry_.all())
        controls.push_back(widget);
    platform::ApplyWindowFont(
        *this,
        platform::DisplayFont(d.name, d.size, d.bold, d.italic, d.underline, d.strikethrough),
        controls, frames);
}

void FrmMain::Show() {
    if (!loaded_) Form_Load();
    show();
}

// ---- activation ---------------------------------------------------------------------------

void FrmMain::Form_Activate() {
    if (fields.ActivationPending) {
        for (int i = 0; i < fraMenu.count(); ++i) {
            geometry_.rect(QStringLiteral("fraMenu"), i).left = 0;
            fraMenu[i]->hide();
        }
        fraMenu[0]->show();
        lightPortLamp();
        downloadPage->shpStatus[1]->setFillColor(fields.LampGrey.fill);
        downloadPage->shpStatus[1]->setBorderColor(fields.LampGrey.border);
        uclVY5103.AddLog(core::LoadResText(TextSerialPortStandby, {comm::NowText()}));
        fields.ActivationPending = false;
        emit activated();
    }
    Form_Resize();
}

void FrmMain::lightPortLamp() {
    // Green only for a port that did open: a port that cannot open is no instrument not yet
    // attached.
    const mainwindow::LampColors lamp = uclVY5103.PortOpen() ? fields.LampGreen : fields.LampRed;
    downloadPage->shpStatus[0]->setFillColor(lamp.fill);
    downloadPage->shpStatus[0]->setBorderColor(lamp.border);
}

void FrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    enforceMinimumSize();
    if (!placed_) {
        placed_ = true;
        // After the window manager has framed the window: the first activation, and the size
        // and place of a first run, with the real frame.
        QMetaObject::invokeMethod(
            this,
            [this] {
                try {
                    placeOnScreen();
                    Form_Activate();
                } catch (const std::exception& e) {
                    qWarning("Activation: %s", e.what());
                }
            },
            Qt::QueuedConnection);
    }
}

void FrmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && placed_) {
        try {
            Form_Activate();
        } catch (const std::exception& e) {
            qWarning("Activation: %s", e.what());
        }
    }
}

void FrmMain::placeOnScreen() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->geometry();
    const QSize frame = frameGeometry().size() - size();
    const QSize outer = frameGeometry().size();
    const WindowPlace place =
        PlaceWindow({twips(area.width()), twips(area.height())},
                    {twips(outer.width()), twips(outer.height())}, core::ExecuteCount);
    resize(platform::toPixels(place.width) - frame.width(),
           platform::toPixels(place.height) - frame.height());
    move(area.left() + platform::toPixels(place.left), area.top() + platform::toPixels(place.top));
}

// ---- layout -------------------------------------------------------------------------------

LayoutInput FrmMain::layoutInput() const {
    LayoutInput in;
    in.innerWidth = twips(client_->width());
    in.innerHeight = twips(client_->height());
    const QSize outer = isVisible() ? frameGeometry().size() : size();
    in.outerWidth = twips(outer.width());
    in.outerHeight = twips(outer.height());
    in.minimised = isMinimized();
    in.language = core::LoadResText(101);
    in.switchR = core::SwitchR;
    in.tableView = dataPage->optBrowse[0]->isChecked();
    in.graphView = dataPage->optBrowse[1]->isChecked();
    return in;
}

void FrmMain::readLayoutState() {
    // "Visible" is each control's own flag: before the window is first shown no child is
    // visible to Qt, and the page that will show must still be laid out.
    for (int i = 0; i < fraMenu.count(); ++i)
        geometry_.setVisible(QStringLiteral("fraMenu"), i, !fraMenu[i]->isHidden());
    geometry_.setVisible(QStringLiteral("vfgSummary"), -1, !dataPage->vfgSummary->isHidden());
    geometry_.setVisible(QStringLiteral("fraOption"), 1, !setPage->fraOption[1]->isHidden());
    for (const char* name : LaidOutGrids) {
        const QString grid = QString::fromLatin1(name);
        const platform::FlexGrid* flexGrid = registry_.get<platform::FlexGrid>(grid);
        geometry_.setCols(grid, flexGrid->Cols());
        geometry_.setInsideMargin(grid, twips(flexGrid->width()) - flexGrid->ClientWidth());
    }
}

void FrmMain::applyLayout(const LayoutResult& result) {
    ApplyLayout(geometry_, result, registry_);
    setPage->vfgOption->Refresh();
}

void FrmMain::Form_Resize() {
    // Moving the controls resizes children, never this window; a pass is never nested, and
    // none runs before every page is made.
    if (layingOut_ || !setPage) return;
    layingOut_ = true;
    const auto done = qScopeGuard([this] { layingOut_ = false; });
    readLayoutState();
    const LayoutResult result = FormResizeLayout(layoutInput(), geometry_);
    if (result.ran) applyLayout(result);
}

void FrmMain::enforceMinimumSize() {
    const QSize frame = frameGeometry().size() - size();
    const auto pixels = [](double t) {
        return static_cast<int>(std::ceil(platform::twipsToPixels(t)));
    };
    setMinimumSize(std::max(0, pixels(MinimumOuterWidth) - frame.width()),
                   std::max(0, pixels(MinimumOuterHeight) - frame.height()));
}

void FrmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    try {
        Form_Resize();
    } catch (const std::exception& e) {
        qWarning("Layout: %s", e.what());
    }
}

// ---- the settings file's view of the window -----------------------------------------------

int16_t FrmMain::WindowState() const {
    if (isMinimized()) return 1;
    if (isMaximized()) return 2;
    return 0;
}

void FrmMain::setWindowState(int16_t state) {
    QMainWindow::setWindowState(state == 1   ? Qt::WindowMinimized
                                : state == 2 ? Qt::WindowMaximized
                                             : Qt::WindowNoState);
}

float FrmMain::Width() const {
    return static_cast<float>(twips(isVisible() ? frameGeometry().width() : width()));
}

void FrmMain::setWidth(float twipsWidth) {
    const int frame = isVisible() ? frameGeometry().width() - width() : 0;
    resize(platform::toPixels(twipsWidth) - frame, height());
}

float FrmMain::Height() const {
    return static_cast<float>(twips(isVisible() ? frameGeometry().height() : height()));
}

void FrmMain::setHeight(float twipsHeight) {
    const int frame = isVisible() ? frameGeometry().height() - height() : 0;
    resize(width(), platform::toPixels(twipsHeight) - frame);
}

int16_t FrmMain::chkLog(int index) const {
    return libraryPage->chkLog[index]->isChecked() ? 1 : 0;
}

void FrmMain::setChkLog(int index, int16_t value) {
    libraryPage->chkLog[index]->setChecked(value == 1);
}

core::GraphColorProperties& FrmMain::zvdGraph() {
    return *dataPage->zvdGraph;
}

// ---- status log and clock -----------------------------------------------------------------

void FrmMain::AppendStatusLog(const QString& text, int32_t color) {
    downloadPage->statusLog().append(text, color);
}

void FrmMain::tmrInter_Timer() {
    ++fields.TimerTicks;
    if (fraMenu[5]->isHidden()) return;
    const int32_t status = uclVY5103.Status();
    const rt::OleDate now = rt::OleDate::now();
    const QString nowText = rt::GeneralDate(now);
    QLabel* pc = setPage->lblOption[5];
    QLabel* instrumentClock = setPage->lblOption[6];
    if (status == 0 || status == 1) {
        pc->setText(nowText);
        instrumentClock->clear();
        return;
    }
    if (pc->property("tag").toString() == nowText) return;
    pc->setProperty("tag", nowText);
    pc->setText(nowText);
    const rt::OleDate offset = instrument().SysDateOffset();
    instrumentClock->setText(rt::GeneralDate(rt::OleDate(now.value() - offset.value())));
}

}  // namespace shell
