#include "hint_settings.h"

#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleOption>
#include <QToolTip>
#include <QWidget>
#include <map>

namespace kerma {

namespace {

class HintStyle : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_ToolTip_WakeUpDelay) return kHintPauseMs;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
    // The Windows styles draw a hint with the system theme's grey and ignore its palette.
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element != PE_PanelTipLabel) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        painter->fillRect(option->rect, option->palette.toolTipBase());
        painter->setPen(option->palette.color(QPalette::ToolTipText));
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
    }
};

QPalette HintPalette() {
    QPalette palette = QToolTip::palette();
    for (auto role : {QPalette::ToolTipBase, QPalette::Window})
        palette.setColor(role, QColor(0, 255, 0));
    for (auto role : {QPalette::ToolTipText, QPalette::WindowText, QPalette::Text})
        palette.setColor(role, Qt::black);
    return palette;
}

// Shows every hint itself, to keep it up for the full time and to feed the mirrors.
class HintFilter : public QObject {
  public:
    std::map<int, std::function<void(const QString&)>> mirrors;
    int next = 1;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType()) return false;
        auto* widget = static_cast<QWidget*>(watched);
        const QString hint = widget->toolTip();
        if (hint.isEmpty()) return false;
        auto* help = static_cast<QHelpEvent*>(event);
        // Windows hands the hints its own colours again whenever a system setting changes.
        QToolTip::setPalette(HintPalette());
        QToolTip::showText(help->globalPos(), hint, widget, QRect(), kHintHidePauseMs);
        auto copy = mirrors;
        for (auto& [id, mirror] : copy) mirror(hint);
        return true;
    }
};

HintFilter* Filter() {
    static HintFilter* filter = nullptr;
    if (filter == nullptr) {
        filter = new HintFilter;
        filter->setParent(qApp);
        qApp->installEventFilter(filter);
    }
    return filter;
}

}  // namespace

void InstallHintSettings() {
    static bool installed = false;
    if (installed || qApp == nullptr) return;
    installed = true;
    QApplication::setStyle(new HintStyle(QApplication::style()->name()));
    QToolTip::setPalette(HintPalette());
    Filter();
}

int AddHintMirror(std::function<void(const QString&)> mirror) {
    HintFilter* filter = Filter();
    filter->mirrors[filter->next] = std::move(mirror);
    return filter->next++;
}

void RemoveHintMirror(int id) {
    if (qApp != nullptr) Filter()->mirrors.erase(id);
}

}  // namespace kerma
