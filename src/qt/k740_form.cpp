#include "k740_form.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>
#include <functional>

#include "editor_widgets.h"
#include "fields/partition_fields.h"
#include "fields/window_fields.h"
#include "hint_settings.h"
#include "qt_prompts.h"
#include "window_place.h"

namespace kerma {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

bool IsEdit(ControlKind kind) {
    return kind == ControlKind::Edit || kind == ControlKind::MaskEdit;
}

constexpr const char* kStatusBar = fields::StatusBar1;
// On a narrow screen the buttons may give up this share of their width (in per cent) and stay
// whole; the longest caption still fits.
constexpr int kNarrowestButtons = 85;
// Kept free below a window that had to shrink: Wine at 150 % draws the frame a few pixels taller
// than it reports, and a status bar cut at its foot is what the shrinking is for.
constexpr int kFrameSlack = 8;
// A field holding what should change before the panel is handed over (a factory password).
constexpr const char* kWarningColour = "#ffb347";
// What the status bar keeps around each of its widgets.
constexpr int kStatusBarMargins = 12;

// The status bar's panels live in the model as labels under StatusBar1.
int StatusPanelIndex(const Control& c) {
    if (c.name == kStatusPanel0) return 0;
    if (c.name == kStatusPanel1) return 1;
    return -1;
}

}  // namespace

TK740Form::TK740Form(EditorOptions options, QWidget* parent, Prompts* prompts) : QDialog(parent) {
    if (prompts == nullptr) {
        ownPrompts_ = std::make_unique<QtPrompts>(this);
        prompts = ownPrompts_.get();
    }
    editor_ = std::make_unique<K740Editor>(*prompts, options);
    setWindowTitle("Прибор приемно контрольный \"Kerma 740\"");
    InstallHintSettings();
    buildFrame();
    observer_ = model().subscribe(std::bind_front(&TK740Form::apply, this));
    hintMirror_ = AddHintMirror([this](const QString& hint) {
        if (editor_) model().setCaption(fields::HintLabelQN, hint.toStdString());
    });
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this,
                          [this](QWidget*, QWidget* now) { focusMoved(now); });
    wireButtons();
}

TK740Form::~TK740Form() {
    // The children go after this body, and the focus moves as they go.
    disconnect(focusWatch_);
    RemoveHintMirror(hintMirror_);
    model().unsubscribe(observer_);
}

void TK740Form::buildFrame() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);  // a dialog border, unless the screen is small

    const Control& panel = model().at(fields::Panel1);
    buttonPanel_ = createWidget(panel, this);
    buttonPanel_->setFixedSize(panel.width, panel.height);
    buttonPanel_->installEventFilter(this);
    layout->addWidget(buttonPanel_);
    buildChildren(panel.name);

    QWidget* pages = createWidget(model().at(fields::PageControl), this);
    layout->addWidget(pages, 1);
    buildChildren(fields::PageControl);
    applyCurrentPage(model().at(fields::PageControl));

    statusBar_ = new QStatusBar(this);
    statusBar_->setSizeGripEnabled(false);
    for (int i = 0; i < 2; ++i) {
        panels_[i] = new QLabel(statusBar_);
        panels_[i]->setObjectName(Q(std::string(i == 0 ? kStatusPanel0 : kStatusPanel1)));
        statusBar_->addWidget(panels_[i], i);
    }
    // Panel 1 gives up room to panel 0 and to the progress bar; what it cannot show is in its hint.
    panels_[1]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    progress_ = new QProgressBar(statusBar_);
    progress_->setRange(0, 100);
    progress_->setFixedWidth(160);
    progress_->hide();
    statusBar_->addPermanentWidget(progress_);
    layout->addWidget(statusBar_);
    fitStatusPanel();
}

// Panel 0 is at least as wide as the model says and as wide as its text needs; a text longer
// than the whole bar goes on to a second line rather than being cut.
void TK740Form::fitStatusPanel() {
    QLabel* panel = panels_[0];
    const int base = model().at(kStatusPanel0).width;
    int room = model().at(kStatusBar).width - kStatusBarMargins;
    if (!progress_->isHidden()) room -= progress_->minimumWidth() + kStatusBarMargins;
    const int needed = panel->fontMetrics().horizontalAdvance(panel->text()) + kStatusBarMargins;
    const int width = std::max(base, std::min(needed, room));
    panel->setWordWrap(needed > width);
    panel->setFixedWidth(width);
    panel->setMinimumHeight(panel->wordWrap() ? panel->heightForWidth(width) : 0);
}

QWidget* TK740Form::contentOf(const std::string& name) const {
    if (name.empty()) return const_cast<TK740Form*>(this);
    auto it = contents_.find(LowerName(name));
    return it == contents_.end() ? nullptr : it->second;
}

QWidget* TK740Form::find(std::string_view name) const {
    auto it = widgets_.find(LowerName(name));
    return it == widgets_.end() ? nullptr : it->second;
}

void TK740Form::buildChildren(const std::string& parent) {
    QWidget* host = contentOf(parent);
    for (const Control* c : model().children(parent)) {
        if (c->kind == ControlKind::ListBox || c->kind == ControlKind::StatusBar) continue;
        QWidget* w = createWidget(*c, host);
        if (c->kind == ControlKind::TabSheet) {
            addTab(*c, w);
            continue;  // built when first shown
        }
        switch (c->kind) {
            case ControlKind::Panel:
            case ControlKind::GroupBox:
            case ControlKind::ScrollBox:
            case ControlKind::PageControl:
                buildChildren(c->name);
                break;
            default:
                break;
        }
        if (c->kind == ControlKind::ScrollBox) {
            fitScrollContent(*c);
            if (unrolled_) unroll(*c);
        }
        if (c->kind == ControlKind::PageControl) applyCurrentPage(*c);
    }
}

QWidget* TK740Form::createWidget(const Control& c, QWidget* parent) {
    QWidget* w = nullptr;
    const std::string key = LowerName(c.name);
    switch (c.kind) {
        case ControlKind::Panel: {
            w = new QWidget(parent);
            // PanelQN covers the page under it; the small panels inside a group only keep their
            // radios exclusive and would show as pale stripes on the group's shade.
            w->setAutoFillBackground(c.parent.empty() ||
                                     model().at(c.parent).kind != ControlKind::GroupBox);
            contents_[key] = w;
            break;
        }
        case ControlKind::GroupBox:
        case ControlKind::Window:
            w = contents_[key] = new QGroupBox(parent);
            break;
        case ControlKind::ScrollBox: {
            auto* area = new QScrollArea(parent);
            auto* inner = new QWidget(area);
            area->setWidget(inner);
            area->setWidgetResizable(false);
            area->setFrameShape(QFrame::NoFrame);
            contents_[key] = inner;
            w = area;
            break;
        }
        case ControlKind::PageControl: {
            if (c.parent.empty()) {
                auto* pages = new MultiRowPages(parent);
                connect(pages, &MultiRowPages::currentChanged, this,
                        [this, pages](int index) { pageChosen(pages, index); });
                w = pages;
            } else {
                auto* pages = new QTabWidget(parent);
                connect(pages, &QTabWidget::currentChanged, this,
                        [this, pages](int index) { pageChosen(pages, index); });
                w = pages;
            }
            break;
        }
        case ControlKind::TabSheet: {
            w = new QWidget;
            if (c.width > 0) w->setMinimumSize(c.width, c.height);
            contents_[key] = w;
            break;
        }
        case ControlKind::Label: {
            auto* label = new QLabel(parent);
            label->setTextFormat(Qt::PlainText);
            w = label;
            break;
        }
        case ControlKind::Logo: {
            auto* logo = new LogoWidget(parent);
            logo->onClick = [this] {
                if (!webAddress_.isEmpty())
                    QDesktopServices::openUrl(QUrl("http://" + webAddress_));
            };
            w = logo;
            break;
        }
        case ControlKind::Button: {
            auto* button = new QPushButton(parent);
            const std::string name = c.name;
            connect(button, &QPushButton::clicked, this, [this, name] {
                if (!syncing_) model().click(name);
            });
            w = button;
            break;
        }
        default:
            w = createInput(c, parent);
            break;
    }
    w->setObjectName(Q(c.name));
    widgets_[key] = w;
    names_.insert(w, Q(c.name));
    applyAll(c);
    return w;
}

QWidget* TK740Form::createInput(const Control& c, QWidget* parent) {
    const std::string name = c.name;
    if (IsEdit(c.kind)) {
        QLineEdit* edit = c.kind == ControlKind::MaskEdit && c.maxLength > 0
                              ? new MaskedLineEdit(c.maxLength, parent)
                              : new QLineEdit(parent);
        if (c.kind == ControlKind::Edit && c.maxLength > 0) edit->setMaxLength(c.maxLength);
        connect(edit, &QLineEdit::textEdited, this, [this, name](const QString& text) {
            if (!syncing_) model().setText(name, text.toStdString());
        });
        edit->installEventFilter(this);
        return edit;
    }
    if (c.kind == ControlKind::UpDown) {
        auto* spin = new UpDownWidget(parent);
        spin->onStep = [this, name](int step) {
            model().setPosition(name, model().at(name).position + step);
        };
        return spin;
    }
    return createChoice(c, parent);
}

QWidget* TK740Form::createChoice(const Control& c, QWidget* parent) {
    const std::string name = c.name;
    switch (c.kind) {
        case ControlKind::CheckBox:
        case ControlKind::RadioButton: {
            QAbstractButton* box = c.kind == ControlKind::CheckBox
                                       ? static_cast<QAbstractButton*>(new QCheckBox(parent))
                                       : new QRadioButton(parent);
            box->setAutoExclusive(false);  // the model keeps radio buttons exclusive
            connect(box, &QAbstractButton::clicked, this, [this, name, box] {
                if (syncing_) return;
                model().click(name);
                box->setChecked(model().at(name).checked);  // a click on a checked radio stays
            });
            return box;
        }
        case ControlKind::ComboBox: {
            auto* combo = new QComboBox(parent);
            connect(combo, &QComboBox::activated, this, [this, name](int index) {
                if (!syncing_) model().selectItem(name, index);
            });
            return combo;
        }
        case ControlKind::RadioGroup: {
            auto* group = new QGroupBox(parent);
            auto* layout = new QVBoxLayout(group);
            layout->setContentsMargins(10, 4, 6, 4);
            layout->setSpacing(2);
            auto* buttons = new QButtonGroup(group);
            for (int i = 0; i < static_cast<int>(c.items.size()); ++i) {
                auto* radio = new QRadioButton(group);
                layout->addWidget(radio);
                buttons->addButton(radio, i);
            }
            connect(buttons, &QButtonGroup::idClicked, this, [this, name](int index) {
                if (syncing_) return;
                model().setItemIndex(name, index);
                model().click(name);
            });
            return group;
        }
        default:
            return new QWidget(parent);
    }
}

void TK740Form::addTab(const Control& sheet, QWidget* page) {
    QWidget* host = find(sheet.parent);
    PageSlot slot{host, 0};
    if (auto* multi = qobject_cast<MultiRowPages*>(host)) {
        slot.index = multi->addPage(page, Q(sheet.caption));
    } else if (auto* tabsWidget = qobject_cast<QTabWidget*>(host)) {
        addingTab_ = true;  // the first tab becomes current on its own: not the user's choice
        slot.index = tabsWidget->addTab(page, Q(sheet.caption));
        addingTab_ = false;
    }
    tabs_[LowerName(sheet.name)] = slot;
    applyVisible(sheet, page);
}

void TK740Form::buildPage(const std::string& tabSheet) {
    const std::string key = LowerName(tabSheet);
    if (!builtPages_.insert(key).second) return;
    bool was = syncing_;
    syncing_ = true;
    buildChildren(model().at(tabSheet).name);
    syncing_ = was;
}

void TK740Form::fitScrollContent(const Control& scrollBox) {
    int right = 0, bottom = 0;
    for (const Control* child : model().children(scrollBox.name)) {
        right = std::max(right, child->left + child->width);
        bottom = std::max(bottom, child->top + child->height);
    }
    contentOf(scrollBox.name)->resize(right + 8, bottom + 8);
}

QWidget* TK740Form::widget(std::string_view name) {
    if (QWidget* w = find(name)) return w;
    const Control* c = model().find(name);
    // Build the tab sheets on the way down to the control, outermost first.
    std::vector<std::string> sheets;
    for (; c != nullptr && !c->parent.empty(); c = model().find(c->parent)) {
        if (c->kind == ControlKind::TabSheet) sheets.push_back(c->name);
    }
    for (auto it = sheets.rbegin(); it != sheets.rend(); ++it) buildPage(*it);
    return find(name);
}

void TK740Form::wireButtons() {
    const std::pair<const char*, void (TK740Form::*)()> wiring[] = {
        {fields::WriteButton, &TK740Form::writeClicked},
        {fields::ReadButton, &TK740Form::readClicked},
        {fields::CancelButton, &TK740Form::cancelClicked},
        {fields::ConnectButton, &TK740Form::connectClicked},
        {fields::DefaultButton, &TK740Form::defaultsClicked},
        {fields::LoadButton, &TK740Form::loadClicked},
        {fields::SaveButton, &TK740Form::saveClicked},
        {fields::BitBtn1, &TK740Form::helpClicked},
    };
    for (const auto& [name, clicked] : wiring)
        model().on(name, ControlEvent::Click, [this, clicked = clicked](Control&) { (this->*clicked)(); });
}

void TK740Form::setMakerSite(const QString& makerName, const QString& webAddress) {
    webAddress_ = webAddress;
    const std::string hint =
        "Соединение с сайтом\n" + makerName.toStdString() + " (" + webAddress.toStdString() + ")";
    model().setHint(fields::Image1, hint);
    model().setHint(fields::Image3, hint);
}

void TK740Form::setTransferProgress(int percent) {
    if (progress_->isHidden() == (percent >= 0)) {
        progress_->setVisible(percent >= 0);
        fitStatusPanel();
    }
    if (percent >= 0) progress_->setValue(std::min(percent, 100));
}

void TK740Form::setVisible(bool visible) {
    if (visible && !isVisible()) fitScreen();
    QDialog::setVisible(visible);
}

// Where the designed window fits the free area of its screen (the taskbar left out), it is the
// designed fixed-size window. Where it does not (a laptop screen at 150 %), it takes what there
// is and the pages scroll between the buttons and the status bar, which stay in sight.
void TK740Form::fitScreen() {
    QScreen* screen = this->screen();
    if (screen == nullptr) return;
    // The platform tells the frame's size once the window exists. Not winId(): it marks the
    // window native, and Qt then makes every other child of the main window native too.
    create();
    const QMargins frame = FrameOf(this);
    const QRect room = screen->availableGeometry().marginsRemoved(frame);
    const Control& panel = model().at(fields::Panel1);
    buttonPanel_->setFixedSize(panel.width, panel.height);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    const QSize designed = sizeHint();
    if (designed.height() > room.height() || designed.width() > room.width()) {
        shrinkInto(room, designed);
    } else {
        adjustSize();
    }
    CentreInFreeArea(*this, screen);
}

// Resizable up to the designed size (and a scroll bar): the buttons, the tabs and the status bar
// stay in sight and only the page under the tabs scrolls.
void TK740Form::shrinkInto(const QRect& room, QSize designed) {
    layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
    buttonPanel_->setMinimumWidth(model().at(fields::Panel1).width * kNarrowestButtons / 100);
    const QSize largest = designed + QSize(style()->pixelMetric(QStyle::PM_ScrollBarExtent), 0);
    setMinimumSize(std::max(layout()->minimumSize().width(), std::min(designed.width(), room.width())),
                   std::min(designed.height(), 300));
    setMaximumSize(largest);
    resize(largest.boundedTo(room.size() - QSize(0, kFrameSlack)));
    unrolled_ = true;
    for (const auto& control : model().controls()) {
        if (control->kind == ControlKind::ScrollBox && find(control->name) != nullptr)
            unroll(*control);
    }
}

// A list that scrolls on its own would need a second scroll bar beside the page's, out of sight
// on a small screen: the list is shown whole and its page scrolls as one. The containers around
// it grow by what it gains.
void TK740Form::unroll(const Control& scrollBox) {
    auto* area = qobject_cast<QScrollArea*>(find(scrollBox.name));
    if (area == nullptr) return;
    const int gain = std::max(0, contentOf(scrollBox.name)->height() - scrollBox.height);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->resize(area->width(), scrollBox.height + gain);
    for (const Control* c = model().find(scrollBox.parent); c != nullptr;
         c = c->parent.empty() ? nullptr : model().find(c->parent)) {
        if (c->kind == ControlKind::TabSheet) {
            const bool page = c->parent == fields::PageControl;
            if (page) contentOf(c->name)->setMinimumHeight(c->height + gain);
            if (page) return;
            continue;  // a page of an inner page control takes its size from it
        }
        QWidget* w = find(c->name);
        if (w != nullptr) w->resize(w->width(), std::max(w->height(), c->height + gain));
    }
}

void TK740Form::done(int result) {
    if (canClose && !canClose()) return;
    emit closing();
    QDialog::done(result);
}

// The buttons keep their places in proportion when the window is narrower than designed.
void TK740Form::placeButtons() {
    const Control& panel = model().at(fields::Panel1);
    const double scale = static_cast<double>(buttonPanel_->width()) / panel.width;
    for (const Control* button : model().children(panel.name)) {
        QWidget* w = find(button->name);
        if (w == nullptr) continue;
        const int left = static_cast<int>(button->left * scale);
        const int right = static_cast<int>((button->left + button->width) * scale);
        w->setGeometry(left, button->top, right - left, button->height);
    }
}

bool TK740Form::eventFilter(QObject* watched, QEvent* event) {
    if (watched == buttonPanel_ && event->type() == QEvent::Resize) placeButtons();
    // A click into a code or key field selects its whole text (a rule on the field's click).
    if (event->type() == QEvent::MouseButtonRelease && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        if (names_.contains(w)) model().click(names_.value(w).toStdString());
    }
    return QDialog::eventFilter(watched, event);
}

// --- model -> widgets -------------------------------------------------------------------------

void TK740Form::applyAll(const Control& c) {
    for (ControlProperty p :
         {ControlProperty::Geometry, ControlProperty::Items, ControlProperty::ItemIndex,
          ControlProperty::Caption, ControlProperty::Text, ControlProperty::Checked,
          ControlProperty::Enabled, ControlProperty::Visible, ControlProperty::Hint,
          ControlProperty::Warning}) {
        apply(c, p);
    }
}

void TK740Form::apply(const Control& c, ControlProperty property) {
    if (int panel = StatusPanelIndex(c); panel >= 0) {
        if (panels_[panel] == nullptr) return;
        if (property == ControlProperty::Caption) panels_[panel]->setText(Q(c.caption));
        // The hint adds what the text leaves out (the backup just kept) below the whole text.
        if (property == ControlProperty::Caption || property == ControlProperty::Hint)
            panels_[panel]->setToolTip(Q(c.hint.empty() ? c.caption : c.caption + "\n" + c.hint));
        if (panel == 0 && progress_ != nullptr) fitStatusPanel();
        return;
    }
    QWidget* w = find(c.name);
    if (w == nullptr) return;  // not built yet: it takes the model's state when it is
    bool was = syncing_;
    syncing_ = true;
    switch (property) {
        case ControlProperty::Text:
            applyText(c, w);
            break;
        case ControlProperty::Caption:
            applyCaption(c, w);
            break;
        case ControlProperty::Checked:
            if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setChecked(c.checked);
            break;
        case ControlProperty::Items:
            if (auto* combo = qobject_cast<QComboBox*>(w)) {
                combo->clear();
                for (const std::string& item : c.items) combo->addItem(Q(item));
                combo->setCurrentIndex(c.itemIndex);
            }
            break;
        case ControlProperty::ItemIndex:
            if (auto* combo = qobject_cast<QComboBox*>(w)) combo->setCurrentIndex(c.itemIndex);
            if (c.kind == ControlKind::RadioGroup) {
                auto* group = w->findChild<QButtonGroup*>();
                group->setExclusive(false);
                for (QAbstractButton* b : group->buttons())
                    b->setChecked(group->id(b) == c.itemIndex);
                group->setExclusive(true);
            }
            break;
        case ControlProperty::Enabled:
            w->setEnabled(c.enabled);
            break;
        case ControlProperty::Visible:
            applyVisible(c, w);
            break;
        case ControlProperty::Hint:
            w->setToolTip(Q(c.hint));
            break;
        case ControlProperty::Geometry:
            if (c.width > 0 && c.parent != "" && c.kind != ControlKind::TabSheet) {
                w->setGeometry(c.left, c.top, c.width, c.height);
            }
            break;
        case ControlProperty::Focus:
            applyFocus(c.name);
            break;
        case ControlProperty::SelectAll:
            if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->selectAll();
            break;
        case ControlProperty::Warning:
            w->setStyleSheet(c.warning ? QStringLiteral("background: %1;").arg(kWarningColour)
                                       : QString());
            break;
        case ControlProperty::Position:
            break;  // the spin shows no number of its own
    }
    syncing_ = was;
}

void TK740Form::applyText(const Control& c, QWidget* w) {
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        const QString text = Q(c.text);
        if (edit->text() == text) return;
        // A rule that drops a typed character leaves the cursor where that character was.
        const QString before = edit->text();
        int same = 0;
        while (same < before.size() && same < text.size() &&
               before[same].toUpper() == text[same].toUpper()) {
            ++same;
        }
        const int cursor = std::min(edit->cursorPosition(), same == before.size() ? 1 << 20 : same);
        edit->setText(text);
        edit->setCursorPosition(std::min(cursor, static_cast<int>(text.size())));
    } else if (c.kind == ControlKind::PageControl) {
        applyCurrentPage(c);
    }
}

void TK740Form::applyCaption(const Control& c, QWidget* w) {
    const QString caption = Q(c.caption);
    if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(caption);
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        group->setTitle(caption);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(caption);
    } else if (c.kind == ControlKind::TabSheet) {
        auto it = tabs_.find(LowerName(c.name));
        if (it == tabs_.end()) return;
        if (auto* multi = qobject_cast<MultiRowPages*>(it->second.pages)) {
            multi->setPageCaption(it->second.index, caption);
        } else if (auto* tabsWidget = qobject_cast<QTabWidget*>(it->second.pages)) {
            tabsWidget->setTabText(it->second.index, caption);
        }
    }
    if (c.kind == ControlKind::RadioGroup) {
        auto* group = w->findChild<QButtonGroup*>();
        for (QAbstractButton* b : group->buttons()) {
            b->setText(Q(c.items.at(static_cast<size_t>(group->id(b)))));
        }
    }
}

void TK740Form::applyVisible(const Control& c, QWidget* w) {
    if (c.kind != ControlKind::TabSheet) {
        w->setVisible(c.visible);
        return;
    }
    auto it = tabs_.find(LowerName(c.name));
    if (it == tabs_.end()) return;
    if (auto* multi = qobject_cast<MultiRowPages*>(it->second.pages)) {
        multi->setPageVisible(it->second.index, c.visible);
    } else if (auto* tabsWidget = qobject_cast<QTabWidget*>(it->second.pages)) {
        tabsWidget->setTabVisible(it->second.index, c.visible);
    }
}

void TK740Form::applyCurrentPage(const Control& pageControl) {
    if (pageControl.text.empty()) return;
    auto it = tabs_.find(LowerName(pageControl.text));
    if (it == tabs_.end()) return;
    buildPage(pageControl.text);
    bool was = syncing_;
    syncing_ = true;
    if (auto* multi = qobject_cast<MultiRowPages*>(it->second.pages)) {
        multi->setCurrent(it->second.index);
    } else if (auto* tabsWidget = qobject_cast<QTabWidget*>(it->second.pages)) {
        tabsWidget->setCurrentIndex(it->second.index);
    }
    syncing_ = was;
}

void TK740Form::applyFocus(const std::string& name) {
    // Queued: a rule sets the focus while the platform is still moving it.
    QMetaObject::invokeMethod(
        this,
        [this, name] {
            QWidget* w = widget(name);
            if (w == nullptr) return;
            inFocusMove_ = true;
            w->setFocus(Qt::OtherFocusReason);
            inFocusMove_ = false;
        },
        Qt::QueuedConnection);
}

// --- widgets -> model -------------------------------------------------------------------------

// The user chose a tab, or the shown tab was hidden and the page control moved on by itself.
void TK740Form::pageChosen(QWidget* pages, int index) {
    if (addingTab_) return;
    for (const auto& [sheet, slot] : tabs_) {
        if (slot.pages != pages || slot.index != index) continue;
        const Control& tab = model().at(sheet);
        buildPage(tab.name);
        model().setActivePage(tab.parent, tab.name);
        return;
    }
}

void TK740Form::focusMoved(QWidget* now) {
    if (inFocusMove_ || now == nullptr || !names_.contains(now)) return;
    const std::string name = names_.value(now).toStdString();
    if (LowerName(model().focus()) == LowerName(name)) return;
    // A rule may show a message box while the focus moves; the focus changes that box causes
    // are not the user's.
    inFocusMove_ = true;
    model().moveFocus(name);
    inFocusMove_ = false;
}

}  // namespace kerma
