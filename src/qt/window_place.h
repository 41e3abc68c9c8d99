#pragma once
// Where a window opens: the middle of the free area of its screen (the taskbar left out), as the
// designed windows are centred on the desktop. Windows and Wine would otherwise put a new window
// at the corner of the screen.
#include <QMargins>
#include <QScreen>
#include <QWidget>

namespace kerma {

// The window's frame, as far as it is known before it is shown; without a window manager's
// answer yet, a title bar and a border of the style's size.
[[nodiscard]] QMargins FrameOf(QWidget* window);

// Moves the window, frame and all, to the middle of the screen's free area (its top-left corner
// where the window is larger); without a screen, of the window's own. A window resized before it
// is placed may already count as on another screen, so whoever sized it for one names it.
void CentreInFreeArea(QWidget& window, const QScreen* screen = nullptr);

}  // namespace kerma
