#include "form_model.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

namespace kerma {

namespace {

std::string FixedWidth(std::string text, size_t width) {
    size_t length = Utf8Length(text);
    if (length > width) return Utf8Left(text, width);
    text.append(width - length, ' ');
    return text;
}

std::string UpperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

}  // namespace

std::string LowerName(std::string_view name) {
    std::string key(name);
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return key;
}

FormModel::FormModel() = default;
FormModel::~FormModel() = default;

Control& FormModel::add(Control control) {
    std::string key = LowerName(control.name);
    if (control.name.empty() || byName_.count(key) != 0) {
        throw std::invalid_argument("control name used twice or empty: " + control.name);
    }
    if (control.kind == ControlKind::MaskEdit && control.maxLength > 0) {
        control.text = FixedWidth(std::move(control.text), control.maxLength);
    }
    controls_.push_back(std::make_unique<Control>(std::move(control)));
    Control* stored = controls_.back().get();
    byName_.emplace(std::move(key), stored);
    children_[LowerName(stored->parent)].push_back(stored);
    if (stored->kind == ControlKind::UpDown && !stored->associate.empty()) {
        upDownOfEdit_[LowerName(stored->associate)] = stored;
    }
    return *stored;
}

Control* FormModel::find(std::string_view name) {
    auto it = byName_.find(LowerName(name));
    return it == byName_.end() ? nullptr : it->second;
}

const Control* FormModel::find(std::string_view name) const {
    auto it = byName_.find(LowerName(name));
    return it == byName_.end() ? nullptr : it->second;
}

Control& FormModel::at(std::string_view name) {
    Control* control = find(name);
    if (control == nullptr) throw std::out_of_range("no control named " + std::string(name));
    return *control;
}

const Control& FormModel::at(std::string_view name) const {
    const Control* control = find(name);
    if (control == nullptr) throw std::out_of_range("no control named " + std::string(name));
    return *control;
}

std::vector<Control*> FormModel::children(std::string_view parent) const {
    auto it = children_.find(LowerName(parent));
    return it == children_.end() ? std::vector<Control*>{} : it->second;
}

void FormModel::setText(std::string_view name, std::string text) {
    Control& control = at(name);
    if (control.kind == ControlKind::MaskEdit && control.maxLength > 0) {
        text = FixedWidth(std::move(text), control.maxLength);
    }
    if (control.upperCase) text = UpperAscii(std::move(text));
    if (control.text == text) return;
    control.text = std::move(text);
    notify(control, ControlProperty::Text);
    followEdit(control);
    raise(control, ControlEvent::Change);
}

void FormModel::followEdit(const Control& edit) {
    auto it = upDownOfEdit_.find(LowerName(edit.name));
    if (it == upDownOfEdit_.end()) return;
    Control& upDown = *it->second;
    std::optional<long> value = FieldValue(edit.text);
    if (!value || *value < upDown.min || *value > upDown.max || *value == upDown.position) return;
    upDown.position = static_cast<int>(*value);
    notify(upDown, ControlProperty::Position);
}

void FormModel::setCaption(std::string_view name, std::string caption) {
    Control& control = at(name);
    if (control.caption == caption) return;
    control.caption = std::move(caption);
    notify(control, ControlProperty::Caption);
}

void FormModel::uncheckSiblings(const Control& radio) {
    for (Control* sibling : children(radio.parent)) {
        if (sibling == &radio || sibling->kind != ControlKind::RadioButton || !sibling->checked) {
            continue;
        }
        sibling->checked = false;
        notify(*sibling, ControlProperty::Checked);
    }
}

void FormModel::setChecked(std::string_view name, bool checked) {
    Control& control = at(name);
    if (control.checked == checked) return;
    control.checked = checked;
    if (control.kind == ControlKind::RadioButton && checked) uncheckSiblings(control);
    notify(control, ControlProperty::Checked);
    if (control.kind != ControlKind::RadioButton || checked) raise(control, ControlEvent::Click);
}

void FormModel::setItemIndex(std::string_view name, int index) {
    Control& control = at(name);
    // A position outside the list leaves no selection, as the platform's lists do.
    if (index < 0 || index >= static_cast<int>(control.items.size())) index = -1;
    if (control.itemIndex == index) return;
    control.itemIndex = index;
    notify(control, ControlProperty::ItemIndex);
}

void FormModel::selectItem(std::string_view name, int index) {
    setItemIndex(name, index);
    raise(at(name), ControlEvent::Change);
}

void FormModel::setPosition(std::string_view name, int position) {
    Control& control = at(name);
    position = std::clamp(position, control.min, std::max(control.min, control.max));
    if (control.position != position) {
        control.position = position;
        notify(control, ControlProperty::Position);
    }
    if (!control.associate.empty()) setText(control.associate, std::to_string(position));
}

void FormModel::setEnabled(std::string_view name, bool enabled) {
    Control& control = at(name);
    if (control.enabled == enabled) return;
    control.enabled = enabled;
    notify(control, ControlProperty::Enabled);
}

void FormModel::setVisible(std::string_view name, bool visible) {
    Control& control = at(name);
    if (control.visible == visible) return;
    control.visible = visible;
    notify(control, ControlProperty::Visible);
}

void FormModel::setHint(std::string_view name, std::string hint) {
    Control& control = at(name);
    if (control.hint == hint) return;
    control.hint = std::move(hint);
    notify(control, ControlProperty::Hint);
}

void FormModel::setWarning(std::string_view name, bool warning) {
    Control& control = at(name);
    if (control.warning == warning) return;
    control.warning = warning;
    notify(control, ControlProperty::Warning);
}

void FormModel::setGeometry(std::string_view name, int left, int top, int width, int height) {
    Control& control = at(name);
    if (control.left == left && control.top == top && control.width == width &&
        control.height == height) {
        return;
    }
    control.left = left;
    control.top = top;
    control.width = width;
    control.height = height;
    notify(control, ControlProperty::Geometry);
}

void FormModel::click(std::string_view name) {
    Control& control = at(name);
    switch (control.kind) {
        case ControlKind::CheckBox:
            setChecked(name, !control.checked);
            break;
        case ControlKind::RadioButton:
            setChecked(name, true);
            break;
        default:
            raise(control, ControlEvent::Click);
            break;
    }
}

void FormModel::enter(std::string_view name) {
    Control& control = at(name);
    focus_ = control.name;
    raise(control, ControlEvent::Enter);
}

void FormModel::exit(std::string_view name) {
    Control& control = at(name);
    focusSetByRule_ = false;
    raise(control, ControlEvent::Exit);
    if (!focusSetByRule_ && LowerName(focus_) == LowerName(control.name)) focus_.clear();
}

void FormModel::moveFocus(std::string_view name) {
    if (!focus_.empty() && LowerName(focus_) != LowerName(name)) {
        exit(focus_);
        if (focusSetByRule_) return;
    }
    enter(name);
}

void FormModel::selectAll(std::string_view name) {
    notify(at(name), ControlProperty::SelectAll);
}

void FormModel::setFocus(std::string_view name) {
    Control& control = at(name);
    focus_ = control.name;
    focusSetByRule_ = true;
    notify(control, ControlProperty::Focus);
}

void FormModel::setActivePage(std::string_view pageControl, std::string_view tabSheet) {
    Control& pages = at(pageControl);
    const Control& sheet = at(tabSheet);
    if (LowerName(pages.text) == LowerName(sheet.name)) return;
    pages.text = sheet.name;
    notify(pages, ControlProperty::Text);
}

void FormModel::on(std::string_view name, ControlEvent event, Handler handler) {
    handlers_[LowerName(at(name).name)].emplace_back(event, std::move(handler));
}

int FormModel::subscribe(Observer observer) {
    observers_.emplace_back(nextObserver_, std::move(observer));
    return nextObserver_++;
}

void FormModel::unsubscribe(int id) {
    std::erase_if(observers_, [id](const auto& entry) { return entry.first == id; });
}

void FormModel::raise(Control& control, ControlEvent event) {
    if (blocked_ > 0) return;
    auto it = handlers_.find(LowerName(control.name));
    if (it == handlers_.end()) return;
    // A handler may add handlers; run the ones present when the event was raised.
    std::vector<Handler> run;
    for (const auto& [kind, handler] : it->second) {
        if (kind == event) run.push_back(handler);
    }
    for (const Handler& handler : run) handler(control);
}

void FormModel::notify(const Control& control, ControlProperty property) {
    if (observers_.empty()) return;
    // An observer may unsubscribe while it runs.
    auto snapshot = observers_;
    for (const auto& [id, observer] : snapshot) observer(control, property);
}

bool FieldIsEmpty(std::string_view text) {
    return std::none_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<long> FieldValue(std::string_view text) {
    if (FieldIsEmpty(text)) return std::nullopt;
    std::string packed;
    for (char c : text) {
        if (c != ' ') packed.push_back(c);
    }
    const char* first = packed.data();
    const char* last = first + packed.size();
    if (*first == '+') ++first;
    long value = 0;
    auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last) return std::nullopt;
    return value;
}

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

long FieldNumber(std::string_view text, long ifEmpty) {
    return FieldValue(text).value_or(ifEmpty);
}

size_t Utf8Length(std::string_view text) {
    return std::count_if(text.begin(), text.end(),
                         [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
}

std::string Utf8Left(std::string_view text, size_t n) {
    size_t count = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (count == n) return std::string(text.substr(0, i));
            ++count;
        }
    }
    return std::string(text);
}

}  // namespace kerma
