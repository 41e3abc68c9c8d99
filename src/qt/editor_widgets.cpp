#include "editor_widgets.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

namespace kerma {

QValidator::State FixedWidthValidator::validate(QString& input, int&) const {
    if (input.size() > width_) return Invalid;
    bool plain = std::all_of(input.begin(), input.end(),
                             [](QChar c) { return c == ' ' || (c >= '0' && c <= '9'); });
    return plain ? Acceptable : Invalid;
}

MaskedLineEdit::MaskedLineEdit(int width, QWidget* parent) : QLineEdit(parent), width_(width) {
    setValidator(new FixedWidthValidator(width, this));
    setMaxLength(width);
}

void MaskedLineEdit::putAt(int pos, QChar c, int cursorAfter) {
    QString t = text().leftJustified(width_, ' ');
    if (pos < 0 || pos >= width_) return;
    t[pos] = c;
    setText(t);
    setCursorPosition(cursorAfter);
    emit textEdited(t);
}

void MaskedLineEdit::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    const bool place = typed.size() == 1 && (typed[0].isDigit() || typed[0] == ' ');
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    const int selected = hasSelectedText() ? static_cast<int>(selectedText().size()) : 0;
    auto blankSelection = [&] {
        QString t = text().leftJustified(width_, ' ');
        for (int i = start; i < start + selected && i < width_; ++i) t[i] = ' ';
        setText(t);
    };
    if (place && typed[0].unicode() < 128) {
        if (selected > 0) blankSelection();
        putAt(start, typed[0], std::min(start + 1, width_));
    } else if (event->key() == Qt::Key_Backspace) {
        if (selected > 0) {
            blankSelection();
            putAt(start, ' ', start);
        } else if (start > 0) {
            putAt(start - 1, ' ', start - 1);
        }
    } else if (event->key() == Qt::Key_Delete) {
        if (selected > 0) blankSelection();
        putAt(start, ' ', start);
    } else if (!typed.isEmpty() && typed[0].isPrint()) {
        event->accept();  // the mask takes digits only
    } else {
        QLineEdit::keyPressEvent(event);
    }
}

UpDownWidget::UpDownWidget(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int step : {1, -1}) {
        auto* button = new QToolButton(this);
        button->setArrowType(step > 0 ? Qt::UpArrow : Qt::DownArrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        connect(button, &QToolButton::clicked, this, [this, step] {
            if (onStep) onStep(step);
        });
        layout->addWidget(button);
    }
}

MultiRowPages::MultiRowPages(QWidget* parent)
    : QWidget(parent), strip_(new QWidget(this)), stack_(new QStackedWidget(this)) {
    stack_->setFrameShape(QFrame::StyledPanel);
    strip_->setStyleSheet(
        "QToolButton { border: 1px solid #9a9a9a; border-bottom: none; padding: 3px 10px;"
        " border-top-left-radius: 4px; border-top-right-radius: 4px; background: #dcdcdc; }"
        " QToolButton:checked { background: #f6f6f6; }"
        " QToolButton:disabled { color: #808080; }");
}

int MultiRowPages::addPage(QWidget* page, const QString& caption) {
    const int index = count();
    auto* tab = new QToolButton(strip_);
    tab->setText(caption);
    tab->setCheckable(true);
    tab->setAutoExclusive(true);
    tab->setFocusPolicy(Qt::NoFocus);
    connect(tab, &QToolButton::clicked, this, [this, index] {
        if (current() == index) return;
        setCurrent(index);
        emit currentChanged(index);
    });
    tabs_.push_back(tab);
    // Each page scrolls on its own under the tabs where the window is smaller than designed.
    auto* scroll = new QScrollArea(stack_);
    scroll->setObjectName(QStringLiteral("PageScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(page);
    pages_.push_back(page);
    stack_->addWidget(scroll);
    if (index == 0) tab->setChecked(true);
    updateGeometry();
    return index;
}

bool MultiRowPages::pageVisible(int index) const {
    return !tabs_.at(index)->isHidden();
}

void MultiRowPages::setPageVisible(int index, bool visible) {
    tabs_.at(index)->setVisible(visible);
    resizeEvent(nullptr);
    updateGeometry();
    if (visible || index != current()) return;
    // The shown page lost its tab: the first page that still has one comes to the front.
    for (int i = 0; i < count(); ++i) {
        if (!pageVisible(i)) continue;
        setCurrent(i);
        emit currentChanged(i);
        return;
    }
}

void MultiRowPages::setPageCaption(int index, const QString& caption) {
    tabs_.at(index)->setText(caption);
    tabs_.at(index)->adjustSize();
    resizeEvent(nullptr);
    updateGeometry();
}

void MultiRowPages::setCurrent(int index) {
    if (index < 0 || index >= count()) return;
    tabs_[index]->setChecked(true);
    stack_->setCurrentIndex(index);
}

int MultiRowPages::placeTabs(int width, bool move) {
    int x = 0, y = 0, rowHeight = 0;
    for (QToolButton* tab : tabs_) {
        if (tab->isHidden()) continue;
        QSize size = tab->sizeHint();
        if (x > 0 && x + size.width() > width) {
            x = 0;
            y += rowHeight;
        }
        if (move) tab->setGeometry(x, y, size.width(), size.height());
        x += size.width();
        rowHeight = std::max(rowHeight, size.height());
    }
    return y + rowHeight;
}

void MultiRowPages::resizeEvent(QResizeEvent*) {
    const int stripHeight = placeTabs(width(), true);
    strip_->setGeometry(0, 0, width(), stripHeight);
    stack_->setGeometry(0, stripHeight, width(), height() - stripHeight);
}

// As small as a window on a small screen needs: the tabs in rows of that width over a strip of
// the page.
QSize MultiRowPages::minimumSizeHint() const {
    constexpr int kNarrowest = 300, kLeastPage = 80;
    return {kNarrowest, const_cast<MultiRowPages*>(this)->placeTabs(kNarrowest, false) + kLeastPage};
}

QSize MultiRowPages::sizeHint() const {
    QSize page(0, 0);
    for (const QWidget* p : pages_) page = page.expandedTo(p->minimumSize());
    page += QSize(2 * stack_->frameWidth(), 2 * stack_->frameWidth());
    int strip = const_cast<MultiRowPages*>(this)->placeTabs(page.width(), false);
    return {page.width(), page.height() + strip};
}

LogoWidget::LogoWidget(QWidget* parent) : QFrame(parent) {
    setCursor(Qt::PointingHandCursor);
}

void LogoWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QRectF box = QRectF(rect()).adjusted(2, 2, -2, -2);
    QLinearGradient fill(box.topLeft(), box.bottomRight());
    fill.setColorAt(0, QColor(0x12, 0x3f, 0x8c));
    fill.setColorAt(1, QColor(0x2f, 0x86, 0xd6));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(box, 10, 10);

    // Radio waves from a mast: the panel speaks to its detectors over the air.
    const qreal unit = box.height() / 8;
    QPointF mast(box.left() + 2.2 * unit, box.center().y() + unit);
    p.setPen(QPen(Qt::white, std::max<qreal>(1.5, unit / 3), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(mast, mast + QPointF(0, 2 * unit));
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i <= 3; ++i) {
        qreal r = i * unit * 0.8;
        QRectF arc(mast.x() - r, mast.y() - r, 2 * r, 2 * r);
        p.drawArc(arc, 35 * 16, 110 * 16);
    }

    QRectF textBox = box.adjusted(4.2 * unit, unit * 0.9, -unit * 0.4, -unit * 0.6);
    QFont big = font();
    big.setBold(true);
    big.setPixelSize(std::max(10, static_cast<int>(unit * 2.6)));
    p.setFont(big);
    p.setPen(Qt::white);
    p.drawText(textBox, Qt::AlignLeft | Qt::AlignTop, "VOLMAR");
    QFont small = font();
    small.setPixelSize(std::max(8, static_cast<int>(unit * 1.4)));
    p.setFont(small);
    p.setPen(QColor(0xd8, 0xe8, 0xff));
    p.drawText(textBox, Qt::AlignLeft | Qt::AlignBottom, "Kerma-740");
}

void LogoWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        onClick) {
        onClick();
    }
}

}  // namespace kerma
