#pragma once

#include <QString>
#include <map>

#include "mainwindow/common/Controls.h"
#include "platform/gui/Geometry.h"

// The main window's one layout routine, as a pure function over a geometry model in twips.
// It reads sizes, visibility, options and grid column counts from the model and its input and
// writes positions, sizes, visibility and grid column widths back into the model; the window
// then applies the model to its widgets. No widget is read here.
namespace shell {

using ControlKey = mainwindow::ControlKey;

// Where every control stands (relative to its container), which are visible, and what the
// grids hold. The layout writes into the same model it reads, so a value that a rule keeps
// stays as the last pass (or the design) left it.
class LayoutModel {
  public:
    platform::TwipsRect& rect(const QString& name, int index = -1);
    platform::TwipsRect rect(const QString& name, int index = -1) const;
    bool visible(const QString& name, int index = -1) const;
    void setVisible(const QString& name, int index, bool visible);
    int cols(const QString& grid) const;
    void setCols(const QString& grid, int count);
    // The widths the last pass gave a grid's columns (rounded twips), by column.
    std::map<int, double> columnWidths(const QString& grid) const;
    void setColumnWidth(const QString& grid, int column, double twips);
    // How much narrower a grid's inside, where its columns go, is than the grid: its border
    // and a vertical scroll bar while one shows. The columns' shares are of the inside.
    double insideMargin(const QString& grid) const;
    void setInsideMargin(const QString& grid, double twips);

    const std::map<ControlKey, platform::TwipsRect>& rects() const { return rects_; }

  private:
    std::map<ControlKey, platform::TwipsRect> rects_;
    std::map<ControlKey, bool> visible_;
    std::map<QString, int> cols_;
    std::map<QString, std::map<int, double>> widths_;
    std::map<QString, double> insideMargins_;
};

struct LayoutInput {
    double innerWidth = 0, innerHeight = 0;  // the client area
    double outerWidth = 0, outerHeight = 0;  // the whole window, frame included
    bool minimised = false;
    QString language;                           // message text 101: "EN", "JP"
    bool switchR = false;                       // the "-R" command-line switch
    bool tableView = false, graphView = false;  // optBrowse(0), optBrowse(1)
};

struct LayoutResult {
    bool ran = false;                        // false for a minimised window: nothing moved
    double outerWidth = 0, outerHeight = 0;  // corrected to the minimum size
    int page = -1;                           // the page frame laid out, -1 when none was visible
    std::map<ControlKey, bool> visibilityChanges;
    std::map<QString, std::map<int, double>> columnWidths;  // set in this pass
};

// The window's minimum outer size.
inline constexpr double MinimumOuterWidth = 11640;
inline constexpr double MinimumOuterHeight = 8250;

LayoutResult FormResizeLayout(const LayoutInput& input, LayoutModel& model);

}  // namespace shell
