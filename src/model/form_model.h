#pragma once
// The editor's controls as named state, without widgets. Every rule of the editor, the image
// codecs, the files and the defaults work on a FormModel; the Qt window is a view of it.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kerma {

enum class ControlKind {
    Window,
    Panel,
    GroupBox,
    PageControl,
    TabSheet,
    ScrollBox,
    Label,
    Button,
    Logo,
    Edit,
    MaskEdit,
    UpDown,
    CheckBox,
    RadioButton,
    RadioGroup,
    ComboBox,
    ListBox,
    StatusBar,
};

enum class ControlEvent { Change, Click, Enter, Exit };

// Which property of a control changed (for views that mirror the model).
enum class ControlProperty {
    Text,
    Caption,
    Checked,
    ItemIndex,
    Items,
    Position,
    Enabled,
    Visible,
    Focus,
    Geometry,
    Hint,
    SelectAll,
    Warning,
};

struct Control {
    std::string name;  // as designed, e.g. "Kod5"; lookup ignores case
    ControlKind kind = ControlKind::Label;
    std::string parent;   // name of the container, "" for the window
    std::string caption;  // labels, buttons, groups, tabs, check boxes, radio buttons
    std::string text;     // edits: the full fixed-width text, blanks kept ("0  ", "12 3  ");
                          // page controls: the name of the active tab sheet
    std::string mask;     // masked edits: the designed mask, e.g. "!9999;1; "
    int maxLength = 0;    // edits: characters the field holds (0: unlimited)
    bool checked = false;
    std::vector<std::string> items;  // combo boxes, list boxes, radio groups
    int itemIndex = -1;
    int position = 0, min = 0, max = 0;  // up-downs
    std::string associate;               // up-downs: the edit they drive
    bool enabled = true;
    bool visible = true;
    int tag = 0;
    std::string hint;
    // Shown in a warning colour: a value the installer should change before handing over.
    bool warning = false;
    bool upperCase = false;  // edits that force capitals
    // Layout hints for the view (pixels at 100 %, relative to the parent); 0 lets the view choose.
    int left = 0, top = 0, width = 0, height = 0;
};

class FormModel {
  public:
    using Handler = std::function<void(Control&)>;
    using Observer = std::function<void(const Control&, ControlProperty)>;

    FormModel();
    ~FormModel();
    FormModel(const FormModel&) = delete;
    FormModel& operator=(const FormModel&) = delete;

    // Adds a control; the name must be new (case-insensitively), otherwise std::invalid_argument.
    // A masked edit's text is brought to its fixed width. Returns the stored control.
    Control& add(Control control);

    // Hash lookup that ignores letter case; nullptr when no such control exists.
    [[nodiscard]] Control* find(std::string_view name);
    [[nodiscard]] const Control* find(std::string_view name) const;
    // As find, but a missing name is a programming error: throws std::out_of_range.
    [[nodiscard]] Control& at(std::string_view name);
    [[nodiscard]] const Control& at(std::string_view name) const;
    [[nodiscard]] bool has(std::string_view name) const { return find(name) != nullptr; }

    // All controls in creation order (the view builds its widgets in this order).
    [[nodiscard]] const std::vector<std::unique_ptr<Control>>& controls() const {
        return controls_;
    }
    // Direct children of a container, in creation order ("" for the window's own).
    [[nodiscard]] std::vector<Control*> children(std::string_view parent) const;

    // Setters raise the events the designed form would raise. Every setter on a missing name
    // throws std::out_of_range, as at() does.
    //  setText        -> Change when the text differs. A masked edit keeps its fixed width: a
    //                    shorter text is filled with blanks, a longer one cut ("" on a six-place
    //                    code field reads back as six blanks). An upper-case edit takes capitals.
    //                    For an up-down's edit the up-down's position follows when the text is a
    //                    number in its range.
    //  setChecked     -> check box: Click when the value differs. Radio button: Click when it
    //                    becomes checked; checking it unchecks the other radio buttons of the
    //                    same parent (without events, as the platform does).
    //  setItemIndex   -> no event (a program set, as in the designed form)
    //  selectItem     -> Change (the user picked an item)
    //  setPosition    -> clamped to the up-down's range; the associate edit's text becomes the
    //                    number, raising its Change
    //  click          -> Click (a user click on a button, check box or radio button; a check box
    //                    toggles, a radio button becomes checked and raises Click only then)
    //  enter / exit   -> Enter / Exit (focus arrives / leaves); moveFocus does both in turn
    void setText(std::string_view name, std::string text);
    void setCaption(std::string_view name, std::string caption);
    void setChecked(std::string_view name, bool checked);
    void setItemIndex(std::string_view name, int index);
    void selectItem(std::string_view name, int index);
    void setPosition(std::string_view name, int position);
    void setEnabled(std::string_view name, bool enabled);
    void setVisible(std::string_view name, bool visible);
    void setHint(std::string_view name, std::string hint);
    void setWarning(std::string_view name, bool warning);
    void setGeometry(std::string_view name, int left, int top, int width, int height);
    void click(std::string_view name);
    void enter(std::string_view name);
    void exit(std::string_view name);
    // The user moves from the focused control to another: Exit of the old one, then Enter of the
    // new one. A rule that puts the focus back during Exit wins: the new control is not entered.
    void moveFocus(std::string_view name);
    // Asks the view to select the whole text of an edit (a rule's "select all"); no event.
    void selectAll(std::string_view name);

    // Focus: the control that has it ("" for none). setFocus moves it without events, as a
    // rule's "focus back to the field" does.
    void setFocus(std::string_view name);
    [[nodiscard]] const std::string& focus() const { return focus_; }

    // Page controls: the active tab sheet's name is the page control's text. No event.
    void setActivePage(std::string_view pageControl, std::string_view tabSheet);
    [[nodiscard]] const std::string& activePage(std::string_view pageControl) const {
        return at(pageControl).text;
    }

    // Event handlers, several per control and event, run in the order they were added.
    void on(std::string_view name, ControlEvent event, Handler handler);

    // Views subscribe to property changes; returns an id for unsubscribe.
    int subscribe(Observer observer);
    void unsubscribe(int id);

    // Suppresses events (not observers) while a block of programmatic sets runs.
    class EventBlocker {
      public:
        explicit EventBlocker(FormModel& model) : model_(model) { ++model_.blocked_; }
        ~EventBlocker() { --model_.blocked_; }
        EventBlocker(const EventBlocker&) = delete;
        EventBlocker& operator=(const EventBlocker&) = delete;

      private:
        FormModel& model_;
    };

  private:
    void raise(Control& control, ControlEvent event);
    void notify(const Control& control, ControlProperty property);
    void followEdit(const Control& edit);
    void uncheckSiblings(const Control& radio);

    std::vector<std::unique_ptr<Control>> controls_;
    std::unordered_map<std::string, Control*> byName_;                 // key: lower-case name
    std::unordered_map<std::string, Control*> upDownOfEdit_;           // key: lower-case edit name
    std::unordered_map<std::string, std::vector<Control*>> children_;  // key: lower-case parent
    std::unordered_map<std::string, std::vector<std::pair<ControlEvent, Handler>>> handlers_;
    std::vector<std::pair<int, Observer>> observers_;
    int nextObserver_ = 1;
    int blocked_ = 0;
    std::string focus_;
    bool focusSetByRule_ = false;  // setFocus ran since the last exit began
};

// Text helpers shared by the rules and codecs.
// A text without any character other than blanks (an empty text included).
[[nodiscard]] bool IsBlank(std::string_view text);
// True when the text holds no digit at all (empty, blanks only, or other characters only).
[[nodiscard]] bool FieldIsEmpty(std::string_view text);
// The number made of a field's non-blank characters ("12 3" is 123, " -3" is -3); nullopt
// when the text has no digits or the characters are not a decimal number.
[[nodiscard]] std::optional<long> FieldValue(std::string_view text);
// As FieldValue, with ifEmpty in place of nullopt.
[[nodiscard]] long FieldNumber(std::string_view text, long ifEmpty = 0);
// Characters (not bytes) of a UTF-8 text.
[[nodiscard]] size_t Utf8Length(std::string_view text);
// The first n characters (not bytes) of a UTF-8 text.
[[nodiscard]] std::string Utf8Left(std::string_view text, size_t n);
// Lower-case ASCII copy, the key of every lookup.
[[nodiscard]] std::string LowerName(std::string_view name);

}  // namespace kerma
