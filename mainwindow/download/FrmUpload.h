#pragma once

#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <cstdint>

#include "link/uclVyif.h"
#include "platform/gui/CommandButton.h"

namespace download {

// A looping picture of a file moving from one folder to another: the sign that something is
// being transferred. It is drawn, so there is no clip to miss.
class UploadAnimation : public QWidget {
    Q_OBJECT
  public:
    explicit UploadAnimation(QWidget* parent = nullptr);
    void Play();
    void Stop();
    bool playing() const { return frames_.isActive(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QTimer frames_;
    int frame_ = 0;
};

// The small window shown while a long operation runs: what runs, a moving picture, and for the
// operations that can stop, a Cancel button. One for the whole program; every operation loads it
// anew, so a cancel never carries over.
class FrmUpload : public QWidget {
    Q_OBJECT
  public:
    FrmUpload(comm::uclVyif& link, QWidget* parent = nullptr);

    // Texts, button, size and place by the activity code; Canceled false; the animation runs.
    void Load(int32_t activityCode);
    // Shows the window (loading it first when it is not loaded).
    void Show(int32_t activityCode);
    void Unload();
    bool isLoaded() const { return loaded_; }
    // True once Cancel was pressed during this load.
    bool Canceled() const { return canceled_; }
    void setCaption(const QString& text) { setWindowTitle(text); }
    // Cancel: the link stops waiting, and the operation sees Canceled.
    void cmdUpload_Click();

    QLabel* lblUpload;
    platform::CommandButton* cmdUpload;
    UploadAnimation* amnUpload;
    QTimer tmrInter;

    // Sizes in twips: the label's height and the window's fixed width.
    static constexpr double LabelHeight = 375;
    static constexpr double WindowWidth = 288 * 15 + 240;
    // The window's height with and without the Cancel button.
    static double WindowHeight(bool withButton);
    // The sizes above are the window's outer frame: its inside is smaller by the frame the
    // platform draws around it (the outer size less the inside, pixels).
    static QSize InsideSize(bool withButton, QSize frame);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

  private:
    void layOut();
    // The window's size for its frame as the platform reports it now.
    void applySize();
    // The frame around the window: its own once it is shown, else its owner's, the best guess.
    QSize frame() const;

    comm::uclVyif& link_;
    bool loaded_ = false;
    bool canceled_ = false;
    // The frame the window's size was last given for.
    QSize sizedFor_{-1, -1};
};

}  // namespace download
