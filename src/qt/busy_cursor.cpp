#include "busy_cursor.h"

#include <QApplication>

namespace kerma {

void BusyCursor::setLineBusy(bool busy) {
    lineBusy_ = busy;
    apply();
}

// Application-wide: the editor and its pages are disabled during an exchange, and Qt shows a
// disabled widget's cursor as the arrow, so a cursor set on the window would not show there.
void BusyCursor::apply() {
    const bool show = lineBusy_ && asking_ == 0;
    if (show == shown_) return;
    shown_ = show;
    if (show) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

BusyCursor::Asking::Asking() {
    ++asking_;
    apply();
}

BusyCursor::Asking::~Asking() {
    --asking_;
    apply();
}

}  // namespace kerma
