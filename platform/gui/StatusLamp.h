#pragma once

#include <QWidget>
#include <cstdint>

namespace platform {

// A round status lamp: a fill and a border colour (Basic RGB Longs), as the status shapes of the
// main window show the state of the port and of the link.
class StatusLamp : public QWidget {
    Q_OBJECT
  public:
    explicit StatusLamp(QWidget* parent = nullptr);
    int32_t FillColor() const { return fill_; }
    void setFillColor(int32_t rgb);
    int32_t BorderColor() const { return border_; }
    void setBorderColor(int32_t rgb);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int32_t fill_ = 0xA0A0A0;
    int32_t border_ = 0x808080;
};

}  // namespace platform
