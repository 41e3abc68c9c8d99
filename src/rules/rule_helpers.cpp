#include "rule_helpers.h"

#include <algorithm>
#include <charconv>

#include "link_types.h"

namespace kerma {

}  // namespace kerma

namespace kerma::rules {

void On(const Context& context, std::string_view control, ControlEvent event,
        std::function<void(RuleContext&, Control&)> handler) {
    context->model().on(control, event, [context, handler = std::move(handler)](Control& c) {
        handler(*context, c);
    });
}

std::string Indexed(std::string_view prefix, int n) {
    return std::string(prefix) + std::to_string(n);
}

std::optional<int> FirstRunValue(std::string_view text) {
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    auto first = std::find_if(text.begin(), text.end(), isDigit);
    if (first == text.end()) return std::nullopt;
    int value = 0;
    for (auto it = first; it != text.end() && isDigit(*it); ++it) {
        value = std::min(value * 10 + (*it - '0'), 1'000'000);
    }
    return value;
}

void ShowPage(FormModel& model, std::string_view pageControl, std::string_view tabSheet) {
    const Control& pages = model.at(pageControl);
    if (!pages.parent.empty() && model.at(pages.parent).kind == ControlKind::TabSheet) {
        ShowPage(model, model.at(model.at(pages.parent).parent).name, pages.parent);
    }
    model.setActivePage(pageControl, tabSheet);
}

void ResetAndFocus(FormModel& model, std::string_view field, std::string neutral) {
    model.setText(field, std::move(neutral));
    model.setFocus(field);
}

std::optional<long> IntegerText(std::string_view text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    size_t last = text.find_last_not_of(' ');
    std::string_view number = text.substr(first, last - first + 1);
    if (!number.empty() && number.front() == '+') number.remove_prefix(1);
    long value = 0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size()) return std::nullopt;
    return value;
}

}  // namespace kerma::rules
