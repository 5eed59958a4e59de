#include "mainwindow/shell/Layout.h"

#include "trendview/BrowseLayout.h"

#include <cmath>
#include <optional>
#include <tuple>
#include <vector>

namespace shell {

platform::TwipsRect& LayoutModel::rect(const QString& name, int index) {
    return rects_[{name, index}];
}

platform::TwipsRect LayoutModel::rect(const QString& name, int index) const {
    const auto it = rects_.find({name, index});
    return it == rects_.end() ? platform::TwipsRect{} : it->second;
}

bool LayoutModel::visible(const QString& name, int index) const {
    const auto it = visible_.find({name, index});
    return it != visible_.end() && it->second;
}

void LayoutModel::setVisible(const QString& name, int index, bool visible) {
    visible_[{name, index}] = visible;
}

int LayoutModel::cols(const QString& grid) const {
    const auto it = cols_.find(grid);
    return it == cols_.end() ? 0 : it->second;
}

void LayoutModel::setCols(const QString& grid, int count) {
    cols_[grid] = count;
}

std::map<int, double> LayoutModel::columnWidths(const QString& grid) const {
    const auto it = widths_.find(grid);
    return it == widths_.end() ? std::map<int, double>{} : it->second;
}

void LayoutModel::setColumnWidth(const QString& grid, int column, double twips) {
    widths_[grid][column] = twips;
}

double LayoutModel::insideMargin(const QString& grid) const {
    const auto it = insideMargins_.find(grid);
    return it == insideMargins_.end() ? 0 : it->second;
}

void LayoutModel::setInsideMargin(const QString& grid, double twips) {
    insideMargins_[grid] = twips;
}

namespace {

using platform::TwipsRect;
using Size = std::optional<double>;

constexpr double MenuShare = 0.12;
constexpr int PageCount = 6;
constexpr int MenuButtons = 6;
constexpr int HistoryOptions = 3;
constexpr int GraphBoxes = 7;

// One run of the layout: the rules in the order they run, each reading back what the rules
// before it placed.
class Pass {
  public:
    Pass(const LayoutInput& input, LayoutModel& model, LayoutResult& result)
        : in_(input), m_(model), out_(result) {}

    void run();

  private:
    TwipsRect& r(const QString& name, int index = -1) { return m_.rect(name, index); }
    // The width a grid's columns share: its inside, so that columns that add up to the whole
    // need no scrolling sideways.
    double inside(const QString& grid) { return r(grid).width - m_.insideMargin(grid); }
    // One combined move: left and top always, width and height only where given.
    void move(const QString& name, int index, double left, double top, Size width = {},
              Size height = {}) {
        TwipsRect& rect = r(name, index);
        rect.left = left;
        rect.top = top;
        if (width) rect.width = *width;
        if (height) rect.height = *height;
    }
    void show(const QString& name, int index, bool visible) {
        m_.setVisible(name, index, visible);
        out_.visibilityChanges[{name, index}] = visible;
    }
    // Widths are whole twips, halves to even; column -1 means every column. A column the grid
    // does not have is left alone.
    void colWidth(const QString& grid, int column, double twips) {
        const int count = m_.cols(grid);
        const double width = std::nearbyint(twips);
        for (int c = 0; c < count; ++c) {
            if (column != -1 && c != column) continue;
            m_.setColumnWidth(grid, c, width);
            out_.columnWidths[grid][c] = width;
        }
    }
    // Puts a control in the middle of its container, `raise` above it, its size kept.
    void centre(const QString& name, const QString& container, int containerIndex = -1,
                double raise = 0) {
        const TwipsRect outer = r(container, containerIndex);
        const TwipsRect inner = r(name);
        move(name, -1, outer.width / 2 - inner.width / 2,
             outer.height / 2 - inner.height / 2 - raise);
    }

    void downloadPage(const TwipsRect& p);
    void instrumentPage(const TwipsRect& p);
    void libraryPage(const TwipsRect& p);
    void dataPage(const TwipsRect& p);
    void calibrationHistoryPage(const TwipsRect& p);
    void settingsPage(const TwipsRect& p);
    void menuColumn();

    const LayoutInput& in_;
    LayoutModel& m_;
    LayoutResult& out_;
    double innerWidth_ = 0, innerHeight_ = 0, menu_ = 0;
};

void Pass::run() {
    out_.outerWidth = in_.outerWidth;
    out_.outerHeight = in_.outerHeight;
    if (in_.minimised) return;
    out_.ran = true;
    // The window is never smaller than its minimum; the client area grows with it.
    if (out_.outerWidth < MinimumOuterWidth) out_.outerWidth = MinimumOuterWidth;
    if (out_.outerHeight < MinimumOuterHeight) out_.outerHeight = MinimumOuterHeight;
    innerWidth_ = in_.innerWidth + (out_.outerWidth - in_.outerWidth);
    innerHeight_ = in_.innerHeight + (out_.outerHeight - in_.outerHeight);
    menu_ = innerWidth_ * MenuShare;

    for (int i = 0; i < PageCount; ++i)
        move(QStringLiteral("fraMenu"), i, 0, 120, innerWidth_ - menu_ - 240, innerHeight_ - 180);
    for (int i = 0; i < PageCount; ++i) {
        if (!m_.visible(QStringLiteral("fraMenu"), i)) continue;
        out_.page = i;
        const TwipsRect p = r(QStringLiteral("fraMenu"), i);
        switch (i) {
            case 0:
                downloadPage(p);
                break;
            case 1:
                instrumentPage(p);
                break;
            case 2:
                libraryPage(p);
                break;
            case 3:
                dataPage(p);
                break;
            case 4:
                calibrationHistoryPage(p);
                break;
            default:
                settingsPage(p);
                break;
        }
        break;
    }
    menuColumn();
}

void Pass::instrumentPage(const TwipsRect& p) {
    const QString fraInst = QStringLiteral("fraInst"), vfgInst = QStringLiteral("vfgInst"),
                  sensor = QStringLiteral("vfgInstSensor");
    move(fraInst, -1, 120, 240, p.width * 0.25, p.height * 0.45);
    centre(QStringLiteral("fraInstCeneter"), fraInst);
    const TwipsRect f = r(fraInst);
    move(vfgInst, -1, f.left + f.width + 120, 360, p.width - f.left - f.width - 240,
         f.height - 120);
    move(sensor, -1, 120, f.top + f.height + 120, p.width - 240, p.height - f.top - f.height - 360);

    if (in_.language == QLatin1String("EN") || in_.language == QLatin1String("JP")) {
        const double g = inside(vfgInst);
        const int n = m_.cols(vfgInst);
        if (n == 5 || n == 6) {
            const double shares[] = {0.19, 0.25, 0.12, 0.12, 0.12};
            for (int c = 0; c < n - 1; ++c)
                colWidth(vfgInst, c, g * shares[c]);
        }
    }
    const double g = inside(sensor);
    const int n = m_.cols(sensor);
    colWidth(sensor, 0, g * 0.25);
    for (int c = 1; c <= n - 1; ++c)
        colWidth(sensor, c, g * 0.75 / (n - 1));
    colWidth(sensor, n - 1, 100);
}

void Pass::calibrationHistoryPage(const TwipsRect& p) {
    const QString opt = QStringLiteral("optHistory"), grid = QStringLiteral("vfgHistory");
    for (int i = 0; i < HistoryOptions; ++i) {
        const double left = i == 0 ? 60 : r(opt, i - 1).left + r(opt, i - 1).width + 120;
        move(opt, i, left, 240, p.width / (HistoryOptions + 1));
    }
    const TwipsRect o = r(opt, 0);
    move(grid, -1, 60, o.top + o.height + 60, p.width - 120, p.height - o.top - o.height - 120);
    const TwipsRect g = r(grid);
    const int n = m_.cols(grid);
    const double columns = inside(grid);
    colWidth(grid, 0, columns * 0.06);
    for (int c = 1; c <= n - 1; ++c)
        colWidth(grid, c, columns * 0.94 / (n - 1));
    move(QStringLiteral("cmdLastCal"), -1, g.left + g.width - g.width * 0.142, 240, g.width * 0.142,
         o.height);
}

void Pass::settingsPage(const TwipsRect& p) {
    const QString fra = QStringLiteral("fraOption"), cmd = QStringLiteral("cmdOption"),
                  cal = QStringLiteral("vfgCal"), cmdCal = QStringLiteral("cmdCal"),
                  grid = QStringLiteral("vfgOption");
    move(fra, 0, 120, 240, p.width * 0.3, p.height * 0.7);
    centre(QStringLiteral("fraOptionCenter0"), fra, 0);
    const TwipsRect f0 = r(fra, 0);
    if (m_.visible(fra, 1)) {
        move(fra, 1, f0.left + f0.width + 120, 240, p.width - f0.left - f0.width - 360,
             f0.height - r(cmd, 0).height - 120);
        const TwipsRect f1 = r(fra, 1);
        for (int i = 0; i < 4; ++i) {
            const double left = i == 0 ? f1.left : r(cmd, i - 1).left + r(cmd, i - 1).width + 120;
            const double top = i == 0 ? f1.top + f1.height + 120 : r(cmd, 0).top;
            move(cmd, i, left, top, f1.width / 4.2);
        }
        centre(QStringLiteral("fraOptionCenter1"), fra, 1);
    } else {
        move(fra, 2, f0.left + f0.width + 120, 240, p.width - f0.left - f0.width - 360, f0.height);
        const TwipsRect f2 = r(fra, 2);
        move(cal, -1, 120, 240, f2.width - 240, f2.height * 0.7);
        const TwipsRect g = r(cal);
        const double w = g.width * 0.31, h = f2.height - g.top - g.height - 240;
        const double top = g.top + g.height + 120;
        move(cmdCal, 0, 120, top, w, h);
        move(cmdCal, 1, g.width - g.width * 0.666, top, w, h);
        move(cmdCal, 2, g.width - g.width * 0.333 - 120, top, w, h);
    }
    move(grid, -1, 120, f0.top + f0.height + 120, p.width - 240,
         p.height - f0.top - f0.height - 360);
    const double g = inside(grid);
    const int n = m_.cols(grid);
    std::optional<std::pair<double, double>> shares;
    if (in_.language == QLatin1String("EN")) shares = {{0.15, 0.85}};
    if (in_.language == QLatin1String("JP")) shares = {{0.13, 0.87}};
    if (shares) {
        colWidth(grid, 0, g * shares->first);
        for (int c = 1; c <= n - 1; ++c)
            colWidth(grid, c, g * shares->second / (n - 1));
        colWidth(grid, n - 1, 100);
    }
    for (int c = 0; c < 3; ++c)
        colWidth(cal, c, inside(cal) * 0.3);
}

void Pass::dataPage(const TwipsRect& p) {
    const bool table = in_.tableView, graph = in_.graphView;
    const QString opt = QStringLiteral("optBrowse"), summary = QStringLiteral("vfgSummary"),
                  browse = QStringLiteral("vfgBrowse"), zvd = QStringLiteral("zvdGraph"),
                  chk = QStringLiteral("chkBrowse"), cmd = QStringLiteral("cmdBrowse"),
                  chkEvent = QStringLiteral("chkEvent"), chkOutline = QStringLiteral("chkOutline"),
                  title = QStringLiteral("lblTitle"), zoom = QStringLiteral("cmbBrowse");
    show(browse, -1, table);
    show(zvd, -1, graph);
    if (!graph)
        for (int i = 0; i < GraphBoxes; ++i)
            show(chk, i, false);
    show(title, 1, graph);
    show(zoom, -1, graph);
    show(chkEvent, -1, table);
    show(chkOutline, -1, table);

    trendview::BrowsePanelInput panel;
    panel.width = p.width;
    panel.height = p.height;
    panel.optBrowse = {r(opt, 0), r(opt, 1)};
    panel.chkEvent = r(chkEvent);
    for (int i = 0; i < GraphBoxes; ++i)
        panel.chkBrowse[static_cast<size_t>(i)] = r(chk, i);
    panel.lblTitle1 = r(title, 1);
    panel.cmbBrowse = r(zoom);
    panel.summaryVisible = m_.visible(summary);
    panel.browseCols = m_.cols(browse);
    panel.summaryCols = m_.cols(summary);
    panel.eightColumnShares = {0.07, 0.19, 0.08, 0.14, 0.14, 0.14, 0.14};
    panel.browseInsideMargin = m_.insideMargin(browse);
    panel.summaryInsideMargin = m_.insideMargin(summary);
    const trendview::BrowsePanel b = trendview::LayOutBrowsePanel(panel);
    const auto place = [this](const QString& name, int index, const TwipsRect& rect) {
        move(name, index, rect.left, rect.top, rect.width, rect.height);
    };
    for (int i = 0; i < 2; ++i)
        place(opt, i, b.optBrowse[static_cast<size_t>(i)]);
    place(chkEvent, -1, b.chkEvent);
    move(chkOutline, -1, b.chkEvent.right() + 120, 240);
    if (b.vfgSummary) place(summary, -1, *b.vfgSummary);
    place(browse, -1, b.vfgBrowse);
    place(zvd, -1, b.zvdGraph);
    for (int i = 0; i < GraphBoxes; ++i)
        place(chk, i, b.chkBrowse[static_cast<size_t>(i)]);
    place(title, 1, b.lblTitle1);
    place(zoom, -1, b.cmbBrowse);
    // "To clipboard" keeps its own place on this page.
    for (int i : {0, 2, 3, 4})
        place(cmd, i, b.cmdBrowse[static_cast<size_t>(i)]);
    for (const auto& [grid, widths] :
         {std::pair{browse, &b.browseColWidths}, std::pair{summary, &b.summaryColWidths}})
        for (size_t c = 0; c < widths->size(); ++c)
            if ((*widths)[c]) colWidth(grid, static_cast<int>(c), *(*widths)[c]);
}

void Pass::libraryPage(const TwipsRect& p) {
    const QString tvw = QStringLiteral("tvwLog"), lvw = QStringLiteral("lvwLog"),
                  grid = QStringLiteral("vfgLog"), fra = QStringLiteral("fraLog");
    move(tvw, -1, 120, 240, 0.35 * p.width, 0.75 * p.height);
    const TwipsRect t = r(tvw);
    move(fra, -1, 120, t.top + t.height, t.width, p.height - t.top - t.height - 120);
    centre(QStringLiteral("fraLogCenter"), fra);
    move(lvw, -1, t.width + t.left + 120, 240, p.width - t.left - t.width - 240, 0.42 * p.height);
    const TwipsRect l = r(lvw);
    move(grid, -1, t.width + t.left + 120, l.height + l.top + 120, l.width, 0.42 * p.height);
    const TwipsRect g = r(grid);
    move(QStringLiteral("cmdDetail"), -1, (0.48 * g.width) / 2 + (t.left + t.width + 180),
         g.top + g.height + 240, 0.48 * g.width, p.height - g.top - g.height - 480);

    const double w = inside(grid);
    switch (m_.cols(grid)) {
        case 2:
            colWidth(grid, 0, 0.3 * w);
            break;
        case 3:
            colWidth(grid, 0, 0.3 * w);
            colWidth(grid, 1, 0.7 * w / 2);
            break;
        case 4:
            colWidth(grid, 0, 0.3 * w);
            colWidth(grid, 1, 0.7 * w / 3);
            colWidth(grid, 2, 0.7 * w / 3);
            break;
        case 5: {
            const bool english = in_.language == QLatin1String("EN");
            colWidth(grid, 0, (english ? 0.25 : 0.2) * w);
            for (int c = 1; c <= 3; ++c)
                colWidth(grid, c, (english ? 0.7 : 0.8) * w / 4);
            break;
        }
        default:
            break;
    }
}

void Pass::downloadPage(const TwipsRect& p) {
    const QString fra = QStringLiteral("fraDown"), shp = QStringLiteral("shpStatus"),
                  lbl = QStringLiteral("lblStatus"), rtb = QStringLiteral("rtbLog"),
                  chk = QStringLiteral("chkAutoLoad"), cmd = QStringLiteral("cmdDown"),
                  centreFrame = QStringLiteral("fraDown3Ceneter"),
                  pic = QStringLiteral("picOptionToZevra");
    move(fra, 0, 120, 240, 0.6 * p.width);
    const double fw = r(fra, 0).width;
    const double lampLefts[] = {120, fw / 4, fw / 2, fw * 3 / 4};
    for (int i = 0; i < 4; ++i)
        move(shp, i, lampLefts[i], 240);
    const int labels[] = {0, 1, 8, 9};
    for (int i = 0; i < 4; ++i)
        move(lbl, labels[i], r(shp, i).width + r(shp, i).left + 60, 240);
    move(QStringLiteral("lblTitle"), 0, 120, r(fra, 0).height + r(fra, 0).top + 60);
    const TwipsRect title = r(QStringLiteral("lblTitle"), 0);
    move(rtb, -1, 120, title.height + title.top + 120, 0.6 * p.width, 0.55 * p.height);
    const TwipsRect log = r(rtb);
    move(fra, 3, 120, log.top + log.height + 120, 0.6 * p.width,
         p.height - log.top - log.height - 240);
    move(fra, 1, log.left + log.width + 60, 240, p.width - log.width - 240);
    const TwipsRect f1 = r(fra, 1);
    move(chk, 0, 120, 240, f1.width - 240, f1.height / 5);
    move(chk, 1, 120, r(chk, 0).height + r(chk, 0).top + 60, f1.width - 240, f1.height / 5);
    move(fra, 2, log.left + log.width + 60, f1.top + f1.height, p.width - log.width - 240,
         p.height - f1.top - f1.height - 120);

    // The button stack: with "-R" ten buttons, without it eight.
    const TwipsRect f2 = r(fra, 2);
    show(cmd, 6, in_.switchR);
    show(cmd, 9, false);
    show(cmd, 10, in_.switchR);
    const double height = in_.switchR ? (f2.height - 1080) / 11 : (f2.height - 900) / 9;
    move(cmd, 0, 120, 240, f2.width - 240, height);
    const std::vector<int> order = in_.switchR ? std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 10}
                                               : std::vector<int>{1, 2, 3, 4, 5, 7, 8};
    int previous = 0;
    for (int button : order) {
        const TwipsRect before = r(cmd, previous);
        move(cmd, button, 120, before.top + before.height + 120, r(cmd, 0).width, r(cmd, 0).height);
        previous = button;
    }

    centre(centreFrame, fra, 3, 240);  // a little above the middle
    if (in_.switchR) {
        show(pic, -1, true);
        const TwipsRect c = r(centreFrame);
        move(pic, -1, c.left, c.top + c.height, c.width);
    } else {
        show(pic, -1, false);
    }
}

void Pass::menuColumn() {
    const QString cmd = QStringLiteral("cmdInst");
    move(cmd, 0, innerWidth_ - menu_ - 120, 180, menu_, (innerHeight_ - 840) / MenuButtons);
    for (int k = 1; k < MenuButtons; ++k) {
        const TwipsRect before = r(cmd, k - 1);
        move(cmd, k, r(cmd, 0).left, before.top + before.height + 120, r(cmd, 0).width,
             r(cmd, 0).height);
    }
}

}  // namespace

LayoutResult FormResizeLayout(const LayoutInput& input, LayoutModel& model) {
    LayoutResult result;
    Pass(input, model, result).run();
    return result;
}

}  // namespace shell
