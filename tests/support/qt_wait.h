#pragma once
// Waiting in the UI thread: its events are served while the condition does not hold, so worker
// calls, timers and deleted windows go on as in the program.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <functional>
#include <string>

namespace kerma::test {

// Serves the event loop until done() holds; false after limitMs.
inline bool ServeUntil(const std::function<bool()>& done, int limitMs = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limitMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

// Whether the editor's first status panel ends with the text (a read or write has finished).
template <typename Form>
bool StatusEnds(Form& form, const std::string& end) {
    return form.editor().status(0).ends_with(end);
}

}  // namespace kerma::test
