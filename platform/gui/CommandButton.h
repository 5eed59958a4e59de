#pragma once

#include <QPushButton>

namespace platform {

// A command button whose caption wraps onto further lines when the button is too narrow for it,
// as the window's tall, narrow buttons need.
class CommandButton : public QPushButton {
    Q_OBJECT
  public:
    explicit CommandButton(QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace platform
