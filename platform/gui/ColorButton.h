#pragma once

#include <cstdint>

#include "platform/gui/CommandButton.h"

namespace platform {

// A command button with a back colour of its own (a Basic RGB Long). The colour is kept in the
// button, so what the user chose is read back from here, never from the style's palette.
class ColorButton : public CommandButton {
    Q_OBJECT
  public:
    explicit ColorButton(QWidget* parent = nullptr);
    // -1 until a colour is set: the button then looks like any other.
    int32_t BackColor() const { return backColor_; }
    void setBackColor(int32_t rgb);

  private:
    int32_t backColor_ = -1;
};

}  // namespace platform
