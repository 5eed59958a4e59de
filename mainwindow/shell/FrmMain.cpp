#include "mainwindow/shell/FrmMain.h"

#include <QApplication>
#include <QResizeEvent>
#include <QScopeGuard>
#include <algorithm>
#include <cmath>

#include "core/ModMain.h"
#include "mainwindow/shell/Captions.h"
#include "mainwindow/shell/DesignTable.h"
#include "mainwindow/shell/LayoutApply.h"
#include "platform/Twips.h"
#include "platform/gui/Fonts.h"

namespace shell {

namespace {

// The grids whose column widths the layout sets.
const char* const LaidOutGrids[] = {"vfgInst", "vfgInstSensor", "vfgHistory", "vfgOption",
                                    "vfgCal",  "vfgBrowse",     "vfgSummary", "vfgLog"};

double twips(int pixels) {
    return platform::pixelsToTwips(pixels);
}

}  // namespace

FrmMain::FrmMain(WindowServices services, QWidget* parent)
    : QMainWindow(parent),
      services_(std::move(services)),
      tmrInter(this),
      uclVY5103(services_.serial, services_.infrared, this) {
    setObjectName(QStringLiteral("frmMain"));
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

    // Every control where the window definition puts it, with its fixed caption.
    for (const auto& [key, rect] : DesignRects()) {
        geometry_.rect(key.name, key.index) = rect;
        if (QWidget* widget = registry_.find(key)) platform::placeWidget(widget, rect);
    }
    for (const auto& [key, text] : DesignCaptions())
        SetCaption(registry_.get<QWidget>(key.name, key.index), text);
    // The display font by name and size, until the settings name the user's own.
    SetCaption(setPage->cmdOptionDisp[0],
               QStringLiteral("%1(%2)").arg(font.family()).arg(font.pointSizeF()));
    // One page at a time: the Download page until the menu chooses another.
    for (int i = 1; i < fraMenu.count(); ++i)
        fraMenu[i]->hide();
}

FrmMain::~FrmMain() = default;

void FrmMain::Form_Load() {
    // The steps of the start-up go on whatever one of them meets.
    try {
        SetCaptions(*this, registry_);
    } catch (const rt::RuntimeError& e) {
        qWarning("Captions: %s", qPrintable(e.description()));
    }
    resize(1024, 720);
    loaded_ = true;
}

void FrmMain::Show() {
    if (!loaded_) Form_Load();
    show();
    Form_Resize();
}

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
        geometry_.setCols(grid, registry_.get<platform::FlexGrid>(grid)->Cols());
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
    } catch (const rt::RuntimeError& e) {
        qWarning("Layout: %s", qPrintable(e.description()));
    }
}

void FrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    enforceMinimumSize();
}

}  // namespace shell
