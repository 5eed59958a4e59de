#pragma once

#include <QPixmap>

namespace app {

// The product picture of the start-up screen: a hand-held gas detector, drawn in code.
QPixmap DrawBrandPicture(int width, int height);

}  // namespace app
