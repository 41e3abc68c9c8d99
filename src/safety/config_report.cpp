#include "config_report.h"

#include <functional>
#include <utility>
#include <vector>

#include "fields/binding_fields.h"
#include "fields/code_fields.h"
#include "fields/key_fields.h"
#include "fields/name_fields.h"
#include "fields/partition_fields.h"
#include "fields/window_fields.h"
#include "factory_passwords.h"
#include "field_labels.h"
#include "codec_memory.h"
#include "k740_controls.h"
#include "settings_fields.h"

namespace kerma {
namespace {

constexpr const char* kHiddenPassword = "••••";
constexpr const char* kHiddenCode = "••••••";
constexpr const char* kHiddenKey = "••••••••••••";
constexpr const char* kNone = "—";
constexpr const char* kFactoryFlag = "заводской — смените";
constexpr int kGridColumns = 8;

std::string N(int n) {
    return std::to_string(n);
}

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// "kod7" of the stem "kod", not "keysound2" of "Key" nor "KOD" itself.
bool IsNumbered(const std::string& lowerName, const char* stem) {
    const std::string lowerStem = LowerName(stem);
    if (lowerName.size() <= lowerStem.size() || lowerName.rfind(lowerStem, 0) != 0) return false;
    return lowerName.find_first_not_of("0123456789", lowerStem.size()) == std::string::npos;
}

using Row = std::vector<std::string>;

// Builds the document piece by piece from the editor's controls.
class Report {
  public:
    Report(const K740Editor& editor, int variant, const ReportOptions& options)
        : editor_(editor),
          m_(editor.model()),
          state_(editor.state()),
          variant_(variant),
          system_(DescribeVariant(variant)),
          options_(options) {}

    std::string build() {
        html_ +=
            "<html><head><meta charset=\"utf-8\"><title>Конфигурация ППКОП Kerma-740</title>"
            "</head><body style=\"font-family: 'DejaVu Sans', Arial, sans-serif; "
            "font-size: 10pt\">\n";
        header();
        if (system_.radio == RadioSystem::QnM) qnmConfiguration();
        if (system_.radio == RadioSystem::Qn && !system_.reduced) qnConfiguration();
        if (system_.radio == RadioSystem::Qn && system_.reduced) qnOneReceiver();
        if (system_.radio == RadioSystem::Expanders)
            para("Для этого типа системы программа хранит только версию ПО прибора.");
        html_ +=
            "<p style=\"color: #555555\">Отчёт составлен программой задания режимов работы "
            "ППКОП Kerma-740" +
            (options_.date.empty() ? std::string() : " " + Escape(options_.date)) +
            ".</p>\n</body></html>\n";
        return html_;
    }

  private:
    // --- reading the controls --------------------------------------------------------------

    // The control and every container around it are shown.
    bool shown(const std::string& name) const {
        for (const Control* c = m_.find(name); c != nullptr;
             c = c->parent.empty() ? nullptr : m_.find(c->parent)) {
            if (!c->visible) return false;
        }
        return m_.has(name);
    }
    bool checked(const std::string& name) const { return m_.at(name).checked; }
    static std::string label(const char* name) { return SettingsFieldLabel(name); }
    std::string text(const std::string& name) const { return Trim(m_.at(name).text); }
    std::string item(const std::string& name) const {
        const Control& c = m_.at(name);
        if (c.itemIndex < 0 || c.itemIndex >= static_cast<int>(c.items.size())) return kNone;
        return c.items[static_cast<size_t>(c.itemIndex)];
    }
    std::string onOff(const std::string& name) const { return OnOffWord(m_.at(name).itemIndex); }
    // The first of the buttons that is checked gives its word.
    std::string choice(std::initializer_list<std::string> buttons) const {
        for (const std::string& name : buttons) {
            if (checked(name)) return ChoiceWord(name);
        }
        return kNone;
    }
    // A sound's mode (on, alarms only, off) and its duration.
    std::string sound(const char* on, const char* alarms, const char* off, const char* edit) const {
        return choice({on, alarms, off}) +
               ", длительность " + seconds(edit);
    }
    // The backlight's mode (on, automatic, off) and its duration.
    std::string backlight(const char* on, const char* automatic, const char* off,
                          const char* edit) const {
        return choice({on, automatic, off}) +
               ", длительность " + seconds(edit);
    }
    std::string secret(const std::string& field) const {
        const std::string value = text(field);
        if (value.empty()) return kNone;
        return options_.secrets ? Escape(value) : SecretMask(field);
    }
    // A password left at its factory value is named as such instead of masked: whoever reads the
    // report must see that it was never changed.
    std::string password(const char* field) const {
        if (!HoldsFactoryPassword(editor_, variant_, field)) return secret(field);
        return options_.secrets ? Escape(text(field)) + " (" + kFactoryFlag + ")" : kFactoryFlag;
    }
    // Times and durations are kept in seconds.
    std::string seconds(const char* edit) const {
        const std::string value = text(edit);
        return value.empty() ? kNone : Escape(value) + " с";
    }
    std::string orNone(const std::string& value) const {
        return value.empty() ? kNone : Escape(value);
    }
    // Partitions whose boxes prefix + 1 .. prefix + 16 are checked: "1, 2, 5".
    std::string partitions(const std::function<std::string(int)>& boxName) const {
        std::string list;
        for (int p = 1; p <= kPartitions; ++p) {
            if (!checked(boxName(p))) continue;
            list += (list.empty() ? "" : ", ") + N(p);
        }
        return list.empty() ? kNone : list;
    }

    // --- writing ---------------------------------------------------------------------------

    void heading(const std::string& text) { html_ += "<h2>" + text + "</h2>\n"; }
    void para(const std::string& text) { html_ += "<p>" + text + "</p>\n"; }
    void table(const Row& head, const std::vector<Row>& rows) {
        html_ += "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n";
        // A heading is never broken inside a word; a long table repeats its head on each page.
        if (!head.empty()) {
            html_ += "<thead><tr>";
            for (const auto& cell : head)
                html_ += "<th bgcolor=\"#e8e8e8\" style=\"white-space: nowrap\">" + cell + "</th>";
            html_ += "</tr></thead>\n";
        }
        for (const Row& row : rows) {
            html_ += "<tr>";
            for (const auto& cell : row) html_ += "<td>" + cell + "</td>";
            html_ += "</tr>\n";
        }
        html_ += "</table>\n";
    }
    // Name/value pairs as a two-column table.
    void pairs(const std::vector<Row>& rows) { table({}, rows); }
    // Numbered values in rows of eight: "<b>5</b>: 2".
    void grid(const std::vector<std::string>& values) {
        std::vector<Row> rows;
        for (size_t i = 0; i < values.size(); ++i) {
            if (i % kGridColumns == 0) rows.emplace_back();
            rows.back().push_back("<b>" + N(static_cast<int>(i) + 1) + "</b>: " + values[i]);
        }
        table({}, rows);
    }

    // --- sections --------------------------------------------------------------------------

    void header() {
        html_ += "<h1>Конфигурация ППКОП Kerma-740</h1>\n";
        std::vector<Row> rows{{"Тип системы", Escape(system_.title)},
                              {"Версия ПО прибора", "v " + Escape(state_.versionText)}};
        if (!options_.source.empty()) rows.push_back({"Источник", Escape(options_.source)});
        if (!options_.date.empty()) rows.push_back({"Дата отчёта", Escape(options_.date)});
        pairs(rows);
        if (!options_.secrets && system_.radio != RadioSystem::Expanders)
            para("Пароли, коды и номера ключей в отчёте скрыты.");
    }

    void qnmConfiguration() {
        partitionsTable();
        qnmDevice();
        statuses();
        if (system_.receivers > 1 && shown(fields::Border1)) borders();
        bindings();
        if (shown(fields::TabSheetSysNum)) systemNumbers();
        codes(true);
        keys();
    }

    void qnConfiguration() {
        qnDevice();
        codes(false);
        objects(kReceivers);
    }

    void qnOneReceiver() {
        heading("Пароль");
        pairs({{"Пароль инженера", password(fields::paswrd1)}});
        codes(true);
        objects(1);
    }

    std::string partitionName(int p) const {
        const std::string list = fields::NameRzdN + N(p);
        if (m_.at(list).itemIndex == kOwnNameItem) return orNone(text(fields::OwnNameN + N(p)));
        return Escape(item(list));
    }

    void partitionsTable() {
        heading("Разделы");
        const bool names = shown(fields::TabSheetNameRzd);
        const bool exclusion = shown(fields::Iskl1);
        Row head{"№"};
        if (names) head.push_back("Название");
        // A narrow column breaks where a reader would, not where the layout runs out of room.
        for (const char* h : {"Тип", "Автовзятие", "Тихая<br>тревога", "Кругло-<br>суточно"})
            head.push_back(h);
        if (exclusion) head.push_back("Исключ.<br>гр. зон");
        head.push_back("Реле 1");
        head.push_back("Реле 2");
        std::vector<Row> rows;
        for (int p = 1; p <= kPartitions; ++p) {
            const auto yes = [&](const char* prefix) { return checked(prefix + N(p)) ? "да" : ""; };
            Row row{N(p)};
            if (names) row.push_back(partitionName(p));
            row.push_back(
                choice({fields::ds0N + N(p), fields::ds1N + N(p), fields::ds2N + N(p)}));
            for (const char* prefix : {fields::avtN, fields::tixN, fields::krsN})
                row.push_back(yes(prefix));
            if (exclusion) row.push_back(yes(fields::IsklN));
            row.push_back(yes(fields::privrele1N));
            row.push_back(yes(fields::privrele2N));
            rows.push_back(std::move(row));
        }
        table(head, rows);
    }

    void qnmDevice() {
        heading("Параметры прибора");
        std::vector<Row> rows{
            {label(fields::Rele1Combo), Escape(item(fields::Rele1Combo))},
            {label(fields::Rele2Combo), Escape(item(fields::Rele2Combo))},
            {label(fields::Delay), seconds(fields::DelayEdit)},
            {label(fields::DelayVxod), seconds(fields::DelayEditVxod)},
            {label(fields::Keysound1),
             sound(fields::Keysound1, fields::keysound2, fields::Keysound3, fields::EditTimesound)},
            {label(fields::LCD_key1),
             backlight(fields::LCD_key1, fields::LCD_key2, fields::LCD_key3, fields::EditTimeLCD)},
        };
        if (shown(fields::EditSoundExt))
            rows.push_back({label(fields::TimesoundExt), seconds(fields::EditSoundExt)});
        rows.push_back({label(fields::password1), choice({fields::password1, fields::password2})});
        if (shown(fields::GSMkom))
            rows.push_back({label(fields::GSMkom), onOff(fields::GSMkom)});
        if (shown(fields::kom781))
            rows.push_back({label(fields::kom781), onOff(fields::kom781)});
        if (shown(fields::MemRazd))
            rows.push_back({label(fields::MemRazd), onOff(fields::MemRazd)});
        rows.push_back({label(fields::PasswordEdit), password(fields::PasswordEdit)});
        rows.push_back({label(fields::PasswordEdit2), password(fields::PasswordEdit2)});
        pairs(rows);
    }

    // Each event goes to the monitoring station as a fault or as an alarm.
    void statuses() {
        heading("Статус извещений");
        std::vector<Row> rows;
        for (const SettingsField& field : SettingsFields()) {
            const bool status =
                field.kind == FieldKind::StatusBit || field.kind == FieldKind::StatusCell;
            if (!status || !field.in(variant_)) continue;
            rows.push_back({field.label, checked(field.controls[0]) ? "неисправность" : "тревога"});
        }
        table({"Событие", "Передаётся как"}, rows);
    }

    int receivers() const { return system_.receivers; }

    void borders() {
        heading("Границы разделов РПУ");
        std::vector<Row> rows;
        for (int r = 1; r <= kReceivers; ++r) {
            const std::string first = item(fields::BorderN + N(2 * r - 1));
            const std::string last = item(fields::BorderN + N(2 * r));
            rows.push_back({"РПУ №" + N(r), first == kNone || last == kNone
                                                ? "не выбраны"
                                                : "разделы " + first + " – " + last});
        }
        pairs(rows);
    }

    void bindings() {
        heading("Привязки извещателей к разделам");
        for (int r = 1; r <= receivers(); ++r) {
            std::vector<std::string> values;
            bool any = false;
            for (int d = 1; d <= kDetectorsPerReceiver; ++d) {
                const long p = FieldNumber(text(BindingName(r, d)));
                any = any || p > 0;
                values.push_back(p > 0 ? "раздел " + N(static_cast<int>(p)) : kNone);
            }
            const std::string title = receivers() > 1 ? "РПУ №" + N(r) + ": " : "";
            if (!any) {
                para(title + (title.empty() ? "Извещатели" : "извещатели") +
                     " не привязаны к разделам.");
                continue;
            }
            if (!title.empty()) para("<b>" + title + "</b>РПДИ и их разделы");
            grid(values);
        }
    }

    void systemNumbers() {
        heading("Системные номера РПДИ");
        for (int r = 1; r <= receivers(); ++r) {
            std::vector<std::string> values;
            for (int d = 1; d <= kDetectorsPerReceiver; ++d)
                values.push_back(orNone(text(SystemNumberName(r, d))));
            para("<b>РПУ №" + N(r) + "</b>");
            grid(values);
        }
    }

    // What tells the code list and the key list apart in the report.
    struct EntryList {
        const char* heading;
        const char* countLabel;
        const char* column;
        const char* stem;
        std::string (*box)(int, int);
        int slots;
    };

    void codes(bool authorities) {
        entries({"Коды подтверждения", "Количество кодов: ", "Код", fields::kodN, CodeBoxName, 32},
                state_.codeCount, authorities);
    }

    void keys() {
        entries(
            {"Ключи Touch Memory", "Количество ключей ТМ: ", "Ключ", fields::KeyN, KeyBoxName, 96},
            state_.keyCount, true);
    }

    // The count, then each entry in use with the partitions it acts on.
    void entries(const EntryList& list, int count, bool authorities) {
        heading(list.heading);
        para(list.countLabel + N(count));
        if (count <= 0) return;
        std::vector<Row> rows;
        for (int n = 1; n <= count && n <= list.slots; ++n) {
            Row row{N(n), secret(list.stem + N(n))};
            if (authorities)
                row.push_back(partitions([&list, n](int p) { return list.box(n, p); }));
            rows.push_back(std::move(row));
        }
        table(authorities ? Row{"№", list.column, "Разделы"} : Row{"№", list.column}, rows);
    }

    void qnDevice() {
        heading("Режимы работы прибора");
        pairs({
            {label(fields::ReleQN1), Escape(item(fields::ReleQN1))},
            {label(fields::ReleQN2), Escape(item(fields::ReleQN2))},
            {label(fields::SpeedLine), Escape(item(fields::SpeedLine))},
            {label(fields::LCDButton1), backlight(fields::LCDButton1, fields::LCDButton2, fields::LCDButton3,
                                        fields::LCDEdit)},
            {label(fields::SoundButton1), sound(fields::SoundButton1, fields::SoundButton2,
                                      fields::SoundButton3, fields::SoundEdit)},
            {label(fields::ClearPaswrd1), choice({fields::ClearPaswrd1, fields::ClearPaswrd2})},
            {label(fields::paswrd1), password(fields::paswrd1)},
            {label(fields::paswrd2), password(fields::paswrd2)},
        });
        statuses();
    }

    // Loops assigned to objects, one row per transmitter that has any.
    void objects(int receiverCount) {
        heading("Назначение шлейфов в объекты");
        bool any = false;
        for (int r = 1; r <= receiverCount; ++r) {
            std::vector<Row> rows;
            for (int t = 1; t <= kQnRows; ++t) {
                Row row{"РПД " + N((r - 1) * kQnRows + t)};
                bool used = false;
                for (int s = 1; s <= kQnLoops; ++s) {
                    const long object = FieldNumber(text(ObjectName(r, t, s)));
                    used = used || object > 0;
                    row.push_back(object > 0 ? N(static_cast<int>(object)) : kNone);
                }
                if (used) rows.push_back(std::move(row));
            }
            if (rows.empty()) continue;
            any = true;
            para("<b>РПУ №" + N(r) + "</b>");
            table({"", "ШС1", "ШС2", "ШС3", "ШС4", "ШС5", "ШС6", "ШС7", "ШС8"}, rows);
        }
        if (!any) para("Шлейфы не назначены в объекты.");
    }

    const K740Editor& editor_;
    const FormModel& m_;
    const K740State& state_;
    int variant_;
    const PanelVariant& system_;
    const ReportOptions& options_;
    std::string html_;
};

}  // namespace

const char* SecretMask(std::string_view controlName) {
    const std::string name = LowerName(controlName);
    for (const char* password :
         {fields::PasswordEdit, fields::PasswordEdit2, fields::paswrd1, fields::paswrd2}) {
        if (name == LowerName(password)) return kHiddenPassword;
    }
    if (IsNumbered(name, fields::kodN)) return kHiddenCode;
    if (IsNumbered(name, fields::KeyN)) return kHiddenKey;
    return nullptr;
}

std::string BuildConfigReport(const K740Editor& editor, int variant, const ReportOptions& options) {
    return Report(editor, variant, options).build();
}

}  // namespace kerma
