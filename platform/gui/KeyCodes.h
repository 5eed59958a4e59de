#pragma once

#include <QKeyEvent>
#include <QMouseEvent>

namespace platform {

// The key codes, shift bits and mouse buttons of the Basic runtime's key and mouse events.
enum ShiftBits : int { ShiftMask = 1, CtrlMask = 2, AltMask = 4 };
enum MouseButtons : int { LeftButton = 1, RightButton = 2, MiddleButton = 4 };
enum KeyCodes : int { KeyLeft = 37, KeyUp = 38, KeyRight = 39, KeyDown = 40 };

// The key code of a Qt key (0 for a key the runtime has no code for).
int KeyCodeOf(const QKeyEvent& event);
int ShiftOf(Qt::KeyboardModifiers modifiers);
int ButtonOf(Qt::MouseButton button);
int ButtonsOf(Qt::MouseButtons buttons);

}  // namespace platform
