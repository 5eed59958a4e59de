#pragma once

#include "core/Settings.h"

namespace graph {

// The trend graph control. For now it holds the colours that the settings file keeps; the
// drawing, zoom and cursor come with the data view.
class uclZvdGraph : public core::GraphColorProperties {
  public:
    int32_t ScaleColor() const override { return scaleColor_; }
    void setScaleColor(int32_t rgb) override { scaleColor_ = rgb; }
    int32_t BackColor() const override { return backColor_; }
    void setBackColor(int32_t rgb) override { backColor_ = rgb; }
    int32_t CursorColor() const override { return cursorColor_; }
    void setCursorColor(int32_t rgb) override { cursorColor_ = rgb; }

  private:
    int32_t scaleColor_ = 0;  // black
    int32_t backColor_ = 0xFFFFFF;
    int32_t cursorColor_ = 0;
};

}  // namespace graph
