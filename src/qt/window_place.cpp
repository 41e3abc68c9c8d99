#include "window_place.h"

#include <QScreen>
#include <QStyle>
#include <QWindow>
#include <algorithm>

namespace kerma {

QMargins FrameOf(QWidget* window) {
    QWindow* handle = window->windowHandle();
    QMargins frame = handle != nullptr ? handle->frameMargins() : QMargins();
    if (!frame.isNull()) return frame;
    const int border = window->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 2;
    const int title = window->style()->pixelMetric(QStyle::PM_TitleBarHeight);
    return {border, title + border, border, border};
}

void CentreInFreeArea(QWidget& window, const QScreen* screen) {
    if (screen == nullptr) screen = window.screen();
    if (screen == nullptr) return;
    const QRect free = screen->availableGeometry();
    const QMargins frame = FrameOf(&window);
    const QSize outer = window.size().grownBy(frame);
    window.move(free.left() + std::max(0, (free.width() - outer.width()) / 2),
                free.top() + std::max(0, (free.height() - outer.height()) / 2));
}

}  // namespace kerma
