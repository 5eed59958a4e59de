#include "platform/gui/KeyCodes.h"

namespace platform {

int KeyCodeOf(const QKeyEvent& event) {
    const int key = event.key();
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return key;  // the same codes as the letters and digits
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 112 + (key - Qt::Key_F1);
    switch (key) {
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return 9;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Shift:
            return 16;
        case Qt::Key_Control:
            return 17;
        case Qt::Key_Alt:
            return 18;
        case Qt::Key_Pause:
            return 19;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Space:
            return 32;
        case Qt::Key_PageUp:
            return 33;
        case Qt::Key_PageDown:
            return 34;
        case Qt::Key_End:
            return 35;
        case Qt::Key_Home:
            return 36;
        case Qt::Key_Left:
            return KeyLeft;
        case Qt::Key_Up:
            return KeyUp;
        case Qt::Key_Right:
            return KeyRight;
        case Qt::Key_Down:
            return KeyDown;
        case Qt::Key_Insert:
            return 45;
        case Qt::Key_Delete:
            return 46;
        default:
            return 0;
    }
}

int ShiftOf(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? ShiftMask : 0) |
           (modifiers & Qt::ControlModifier ? CtrlMask : 0) |
           (modifiers & Qt::AltModifier ? AltMask : 0);
}

int ButtonOf(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return LeftButton;
        case Qt::RightButton:
            return RightButton;
        case Qt::MiddleButton:
            return MiddleButton;
        default:
            return 0;
    }
}

int ButtonsOf(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? LeftButton : 0) |
           (buttons & Qt::RightButton ? RightButton : 0) |
           (buttons & Qt::MiddleButton ? MiddleButton : 0);
}

}  // namespace platform
