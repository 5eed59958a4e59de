#pragma once

#include <QCursor>
#include <QFrame>
#include <QLabel>
#include <QScrollBar>
#include <memory>

#include "core/Settings.h"
#include "graph/GraphData.h"
#include "graph/GraphRenderer.h"
#include "graph/PainterSurface.h"
#include "graph/ScreenSurface.h"

class QMenu;
class QAction;

namespace graph {

class uclZvdGraph;

// The cursor line: a line over the picture, not part of it. Solid (border style 1) while the
// picture has the focus, dotted (3) after it lost it.
struct CursorLine {
    double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;  // twips, on the picture
    int BorderStyle = 1;
    int32_t BorderColor = 0;
    bool Visible = true;
};

// picGraph: shows the rendered graph and the cursor line over it; its key, mouse and focus
// events go to the control.
class GraphPicture : public QWidget {
    Q_OBJECT
  public:
    explicit GraphPicture(uclZvdGraph& owner);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    uclZvdGraph& owner_;
};

// The trend graph control: series of values over one time axis, with event marks, value
// scales, zoom and scrolling, a cursor with its read-out and an event search. It draws on its
// own picture or on any surface a host hands it as DrawObj (the printer). Setters never
// repaint: hosts call Refresh after a batch of changes.
class uclZvdGraph : public QFrame, public GraphData, public core::GraphColorProperties {
    Q_OBJECT
  public:
    explicit uclZvdGraph(QWidget* parent = nullptr);
    // With another surface for the picture (a recording surface in tests).
    uclZvdGraph(std::unique_ptr<GraphSurface> picture, QWidget* parent = nullptr);
    ~uclZvdGraph() override;

    // ---- look ----
    int16_t Appearance() const { return appearance_; }
    void setAppearance(int16_t appearance);
    int16_t BorderStyle() const { return borderStyle_; }
    void setBorderStyle(int16_t style);
    int32_t BackColor() const override;
    void setBackColor(int32_t rgb) override;
    int32_t ScaleColor() const override { return scaleColor; }
    void setScaleColor(int32_t rgb) override { scaleColor = rgb; }
    int32_t CursorColor() const override { return linCursor.BorderColor; }
    void setCursorColor(int32_t rgb) override;
    bool CursorVisible() const { return linCursor.Visible; }
    void setCursorVisible(bool visible);
    int16_t MousePointer() const { return mousePointer_; }
    void setMousePointer(int16_t pointer);
    QCursor MouseIcon() const { return mouseIcon_; }
    void setMouseIcon(const QCursor& icon);
    // Kept for the hosts that set it; it has no effect.
    bool TestDisp() const { return false; }
    void setTestDisp(bool) {}
    QString ScaleXFormat() const { return FormatX; }
    void setScaleXFormat(const QString& format) { FormatX = format; }

    // ---- the drawing target ----
    // nullptr draws on the control's own picture again.
    void setDrawObj(GraphSurface* target);
    GraphSurface* drawObj() const { return DrawObj; }
    GraphSurface& pictureSurface() const { return *picture_; }
    float CurrentX() const { return static_cast<float>(DrawObj->CurrentX); }
    float CurrentY() const { return static_cast<float>(DrawObj->CurrentY); }
    float TextWidth(const QString& text) const;
    float TextHeight(const QString& text) const;
    // The rendered picture (what the clipboard and the bitmap export take); the cursor is not
    // part of it.
    QImage Picture() const;
    void PopupMenu(QMenu* menu, int flags = 0, float x = -1, float y = -1,
                   QAction* defaultMenu = nullptr);

    // ---- drawing ----
    // Draws the whole graph now, whatever AutoRedraw says.
    void Refresh();
    // Clears the picture.
    void Cls();
    // The paint handler: lays out and draws on DrawObj when AutoRedraw or Refresh ask for it.
    void picGraph_Paint();

    // ---- cursor, zoom, scrolling and search ----
    int16_t Zoom() const { return ZoomFactor; }
    // The zoom factor, with the scroll bar and the window at its start; nothing while there
    // are fewer than two samples.
    void setZoom(int16_t zoom);
    // The nearest event text to a point (seconds, twips), or date 0 and "".
    void SearchEvent(float valueX, int32_t valueY, rt::OleDate& EvtDate, QString& EvtName) const;
    // The first sample strictly after a time (0 before or at sample 0, the last one beyond).
    int SampleIndexAt(float seconds) const;
    // Places the cursor line and its read-out at CursorIndex (pulled into the window).
    void DrawCursor();
    void picGraph_KeyDown(int keyCode, int shift);
    void picGraph_MouseDown(int button, int shift, float x, float y);
    void hslWidth_Change();
    // The read-out text (lines end in CR LF).
    QString MsgCaption() const { return msgCaption_; }

    GraphPicture* picGraph;
    QScrollBar* hslWidth;
    CursorLine linCursor;
    QLabel* lblMsg;

  signals:
    void Click();
    void DblClick();
    void KeyDown(int KeyCode, int Shift);
    void KeyPress(int KeyAscii);
    void KeyUp(int KeyCode, int Shift);
    void MouseDown(int Button, int Shift, float X, float Y);
    void MouseMove(int Button, int Shift, float X, float Y);
    void MouseUp(int Button, int Shift, float X, float Y);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    friend class GraphPicture;
    void applyFrame();
    // The picture's size for the present inner size and zoom.
    void placePicture();
    double innerWidth() const;
    double innerHeight() const;
    void renderIfStale();

    std::unique_ptr<GraphSurface> picture_;
    ScreenSurface* screen_ = nullptr;  // the picture when it is a screen surface
    int16_t appearance_ = 1;
    int16_t borderStyle_ = 1;
    int16_t mousePointer_ = 0;
    QCursor mouseIcon_;
    QString msgCaption_;
    QRect cursorArea_;  // where the cursor line was last drawn (pixels)
    // The picture shows an older state: the next paint renders first.
    bool stale_ = true;
    bool painting_ = false;
};

}  // namespace graph
