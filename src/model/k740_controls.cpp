#include "k740_controls.h"

#include <array>

#include "panel_variant.h"

namespace kerma {

namespace {

using K = ControlKind;

// Pixel grid of the window at 100 % (the view scales it).
constexpr int kPageWidth = 940;
constexpr int kPageHeight = 540;
constexpr int kRow = 22;

std::string Num(int n) {
    return std::to_string(n);
}
std::string TwoDigits(int n) {
    return (n < 10 ? "0" : "") + Num(n);
}

// Adds controls with their geometry; labels without a designed name get "Lbl" + a counter.
class Builder {
  public:
    explicit Builder(FormModel& model) : model_(model) {}

    Control& add(K kind, std::string name, std::string parent, std::string caption, int x, int y,
                 int w, int h) {
        Control c;
        c.kind = kind;
        c.name = name.empty() ? "Lbl" + Num(++labels_) : std::move(name);
        c.parent = std::move(parent);
        c.caption = std::move(caption);
        c.left = x;
        c.top = y;
        c.width = w;
        c.height = h;
        return model_.add(std::move(c));
    }

    Control& label(const std::string& parent, std::string caption, int x, int y, int w,
                   std::string name = "") {
        return add(K::Label, std::move(name), parent, std::move(caption), x, y, w, 18);
    }

    Control& group(std::string name, std::string parent, std::string caption, int x, int y, int w,
                   int h) {
        return add(K::GroupBox, std::move(name), std::move(parent), std::move(caption), x, y, w, h);
    }

    Control& mask(std::string name, const std::string& parent, std::string maskText, int length,
                  int x, int y, int w, std::string text = "") {
        Control& c = add(K::MaskEdit, std::move(name), parent, "", x, y, w, kRow);
        c.mask = std::move(maskText);
        c.maxLength = length;
        c.text = std::move(text);
        model_.setText(c.name, c.text);  // brought to the fixed width
        return c;
    }

    // An edit with its up-down, 0..max, start 0.
    void spin(const std::string& edit, const std::string& upDown, const std::string& parent, int x,
              int y, int max = 254) {
        Control& e = add(K::Edit, edit, parent, "", x, y, 48, kRow);
        e.text = "0";
        e.maxLength = 3;
        Control& u = add(K::UpDown, upDown, parent, "", x + 48, y, 17, kRow);
        u.associate = edit;
        u.max = max;
    }

    Control& radio(std::string name, const std::string& parent, std::string caption, int x, int y,
                   int w, bool checked = false) {
        Control& c = add(K::RadioButton, std::move(name), parent, std::move(caption), x, y, w, 20);
        c.checked = checked;
        return c;
    }

    Control& combo(std::string name, const std::string& parent, std::vector<std::string> items,
                   int x, int y, int w, int index = 0) {
        Control& c = add(K::ComboBox, std::move(name), parent, "", x, y, w, kRow);
        c.items = std::move(items);
        c.itemIndex = index;
        return c;
    }

    Control& radioGroup(std::string name, const std::string& parent, std::string caption, int x,
                        int y, int index) {
        Control& c = add(K::RadioGroup, std::move(name), parent, std::move(caption), x, y, 200, 64);
        c.items = {"Вкл.", "Выкл."};
        c.itemIndex = index;
        return c;
    }

    FormModel& model() { return model_; }

  private:
    FormModel& model_;
    int labels_ = 0;
};

const std::vector<std::string> kReleItems = {"ПЦН тревога",    "Взят/Снят",
                                             "Исполнительный", "Контрольная лампа",
                                             "Круглосуточный", "Звуковой"};
const std::vector<std::string> kReleQnItems = {"Тревога", "Контрольная лампа", "Звуковой"};

void BuildButtonPanel(Builder& b) {
    b.add(K::Panel, "Panel1", "", "", 0, 0, 960, 73);
    struct Button {
        const char* name;
        const char* caption;
        const char* hint;
        bool enabled;
    };
    static const Button buttons[] = {
        {"WriteButton", "Записать конфигурацию в прибор", "Записать конфигурацию в прибор (F2)",
         false},
        {"ReadButton", "Считать конфигурацию из прибора", "Считать конфигурацию из прибора (F3)",
         false},
        {"CancelButton", "Разорвать связь", "Разорвать связь F5", true},
        {"DefaultButton", "Заводские установки", "Заводские установки F7", true},
        {"LoadButton", "Считать файл", "Считать файл F10", true},
        {"SaveButton", "Записать в файл", "Записать в файл F9", true},
        {"ConnectButton", "Установить связь", "Установить связь F4", false},
        {"BitBtn1", "Помощь", "Вызов справки", true},
    };
    // Two rows of four, the first column widest: the captions stay whole at any scale.
    static const int lefts[] = {8, 286, 564, 758}, widths[] = {270, 270, 186, 194};
    for (int i = 0; i < 8; ++i) {
        Control& c = b.add(K::Button, buttons[i].name, "Panel1", buttons[i].caption, lefts[i % 4],
                           6 + (i / 4) * 32, widths[i % 4], 28);
        c.hint = buttons[i].hint;
        c.enabled = buttons[i].enabled;
    }
}

void BuildPartitionTable(Builder& b) {
    const std::string g = "Razdel";
    b.group(g, "TabSheetRazdel", "Настройки Разделов:", 4, 4, 676, 240);
    auto column = [](int p) { return 128 + (p - 1) * 34; };
    for (int p = 1; p <= kPartitions; ++p) b.label(g, "P" + Num(p), column(p), 16, 30);
    struct Row {
        const char* prefix;
        const char* caption;
        const char* labelName;
    };
    static const Row rows[] = {
        {"avt", "Автовзятие", ""},           {"tix", "Тихая тревога", ""},
        {"krs", "Круглосуточно", ""},        {"privrele1", "Привязки реле 1", ""},
        {"privrele2", "Привязки реле2", ""}, {"Iskl", "Исключ. гр. зон.", "Label1135"},
    };
    int y = 34;
    for (const Row& row : rows) {
        b.label(g, row.caption, 8, y + 1, 118, row.labelName);
        for (int p = 1; p <= kPartitions; ++p) {
            b.add(K::CheckBox, row.prefix + Num(p), g, "", column(p), y, 20, 20).tag = p;
        }
        y += 20;
    }
    b.label(g, "Тип Раздела:", 8, y + 1, 118);
    y += 20;
    b.label(g, "пожарный", 8, y + 1, 118);
    b.label(g, "охранный", 8, y + 21, 118);
    b.label(g, "аварийный ", 8, y + 41, 118, "Label1520");
    // Each partition's three type radios share a panel of their own, so they exclude only
    // each other.
    for (int p = 1; p <= kPartitions; ++p) {
        std::string panel = "RazdelType" + Num(p);
        b.add(K::Panel, panel, g, "", column(p), y, 22, 60);
        for (int t = 0; t < 3; ++t) {
            b.radio("ds" + Num(t) + Num(p), panel, "", 0, t * 20, 20, t == 2).tag = p;
        }
    }
}

void BuildDeviceColumn(Builder& b) {
    const std::string page = "TabSheetRazdel";
    b.group("GroupBoxRele1", page, "Режим работы реле №1:", 686, 4, 250, 46);
    b.combo("Rele1Combo", "GroupBoxRele1", kReleItems, 8, 18, 232);
    b.group("GroupBoxRele2", page, "Режим работы реле №2:", 686, 52, 250, 46);
    b.combo("Rele2Combo", "GroupBoxRele2", kReleItems, 8, 18, 232);
    for (auto [name, caption, y, edit, spin] :
         {std::tuple{"GroupBox1", "Время выход:", 100, "DelayEdit", "Delay"},
          std::tuple{"GroupBox8", "Время вход:", 148, "DelayEditVxod", "DelayVxod"}}) {
        b.group(name, page, caption, 686, y, 250, 46);
        b.label(name, "Рзд.", 8, 21, 34);
        b.label(name, "№1", 44, 21, 30);
        b.spin(edit, spin, name, 80, 18);
    }
    b.group("PasswordBox", page, "Пароль инж.:", 686, 196, 250, 46);
    b.mask("PasswordEdit", "PasswordBox", "!9999;1; ", 4, 8, 18, 70);
}

// A group of three mode radios with a duration edit below them.
void BuildModeGroup(Builder& b, const std::string& group, const std::string& parent,
                    const std::string& caption, int x, int y, int w,
                    const std::array<std::pair<const char*, const char*>, 3>& radios,
                    const std::string& edit, const std::string& spin) {
    b.group(group, parent, caption, x, y, w, 112);
    for (int i = 0; i < 3; ++i) {
        b.radio(radios[i].first, group, radios[i].second, 8, 18 + i * 20, w - 16, i == 0);
    }
    b.label(group, "Длительность:", 8, 84, 96);
    b.spin(edit, spin, group, 106, 82);
}

// Fault/alarm radio pairs; each pair on a panel of its own so the pairs stay independent.
void BuildStatusPairs(Builder& b, const std::string& group, const std::string& panelPrefix,
                      const std::vector<std::tuple<const char*, const char*, const char*>>& rows,
                      const char* faultHead, int labelWidth) {
    int x = 8 + labelWidth;
    b.label(group, faultHead, x, 16, 60);
    b.label(group, "Тревога", x + 60, 16, 60);
    int y = 36;
    int i = 1;
    for (const auto& [fault, alarm, caption] : rows) {
        b.label(group, caption, 8, y + 1, labelWidth);
        std::string panel = panelPrefix + Num(i++);
        b.add(K::Panel, panel, group, "", x + 12, y, 90, 20);
        b.radio(fault, panel, "", 0, 0, 20, true);
        b.radio(alarm, panel, "", 60, 0, 20);
        y += 22;
    }
}

void BuildDeviceGroups(Builder& b) {
    const std::string page = "TabSheetRazdel";
    BuildModeGroup(
        b, "GroupBox7", page, "Звук Клавиатуры:", 4, 250, 176,
        {{{"Keysound1", "Включен"}, {"keysound2", "Только.Тревога"}, {"Keysound3", "Выключен"}}},
        "EditTimesound", "Timesound");
    BuildModeGroup(
        b, "GroupBox14", page, "Подсветка ЖКИ:", 186, 250, 176,
        {{{"LCD_key1", "Включена"}, {"LCD_key2", "Автомат."}, {"LCD_key3", "Выключена"}}},
        "EditTimeLCD", "TimeLCD");
    b.group("GroupBox36", page, "Внешний Звук:", 368, 250, 176, 52);
    b.label("GroupBox36", "Длительность:", 8, 24, 96);
    b.spin("EditSoundExt", "TimesoundExt", "GroupBox36", 106, 20);
    b.group("GroupBox21", page, "Пароль польз.:", 368, 308, 176, 54);
    b.mask("PasswordEdit2", "GroupBox21", "!999999;1; ", 6, 8, 22, 80);
    b.group("GroupBox19", page, "Сброс пар.инж.", 550, 250, 120, 70);
    b.radio("password1", "GroupBox19", "разреш", 8, 20, 104, true);
    b.radio("password2", "GroupBox19", "запрещ.", 8, 42, 104);
    b.group("Status_izv", page, "Статус  извещений.", 676, 250, 260, 150);
    BuildStatusPairs(b, "Status_izv", "IzvPair",
                     {{"K740tmpncp", "K740tmptr", "Вскрытие пульт"},
                      {"Rpytmpncp", "Rpytmptr", "Вскрытие РПУ"},
                      {"Rpdtmpncp", "Rpdtmptr", "Вскрытие РПДИ"},
                      {"Rpdcvzncp", "Rpdcvztr", "Нет связи с  РПДИ"},
                      {"Rpdblokncp", "Rpdbloktr", "Блокирирование. РК"}},
                     "Неиспр/", 130);
    b.radioGroup("GSMkom", page, "Опрос коммуникатора K-782:", 4, 410, 0);
    b.radioGroup("kom781", page, "Опрос коммуникатора K-781:", 210, 410, 1);
    b.radioGroup("MemRazd", page, "Память состояния разделов:", 416, 410, 1);
    b.add(K::Logo, "Image1", page, "", 676, 410, 260, 100);
}

void BuildPanelQn(Builder& b) {
    const std::string p = "PanelQN";
    b.add(K::Panel, p, "TabSheetRazdel", "", 0, 0, kPageWidth, kPageHeight).visible = false;
    b.group("GroupBoxQNHead", p, "", 4, 4, 932, 76);
    b.label("GroupBoxQNHead", "Версия ПО прибора:", 10, 16, 380, "VersionLabel");
    b.label("GroupBoxQNHead", "Тип прибора:", 10, 44, 380, "TypeLabel");
    b.label("GroupBoxQNHead", "", 400, 16, 300, "HintLabelQN").visible = false;
    b.add(K::Logo, "Image3", "GroupBoxQNHead", "", 700, 8, 220, 62);

    b.group("GroupBoxQNPass1", p, "Пароль инженера:", 4, 86, 230, 56);
    b.mask("paswrd1", "GroupBoxQNPass1", "!9999;1; ", 4, 8, 24, 60);
    b.label("GroupBoxQNPass1", "(4 цифры )", 76, 27, 140);
    b.group("GroupBoxQNPass2", p, "Пароль администратора:", 240, 86, 230, 56);
    b.mask("paswrd2", "GroupBoxQNPass2", "!999999;1; ", 6, 8, 24, 80);
    b.label("GroupBoxQNPass2", "(от 3 до 6 цифр )", 96, 27, 126);
    b.group("GroupBoxQNClear", p, "Сброс паролей:", 476, 86, 200, 56);
    b.radio("ClearPaswrd1", "GroupBoxQNClear", "разрешен", 8, 24, 90, true);
    b.radio("ClearPaswrd2", "GroupBoxQNClear", "запрещен", 100, 24, 94);
    b.group("GroupBoxQNSpeed", p, "Скорость по линии расширения:", 682, 86, 254, 56);
    b.combo("SpeedLine", "GroupBoxQNSpeed", {"1200 бод", "4800 бод"}, 8, 24, 150);

    b.group("GroupBoxQNRele1", p, "Режим работы реле №1:", 4, 148, 230, 52);
    b.combo("ReleQN1", "GroupBoxQNRele1", kReleQnItems, 8, 22, 212);
    b.group("GroupBoxQNRele2", p, "Режим работы реле №2:", 240, 148, 230, 52);
    b.combo("ReleQN2", "GroupBoxQNRele2", kReleQnItems, 8, 22, 212);
    BuildModeGroup(b, "GroupBoxQNLCD", p, "Подсветка ЖКИ:", 4, 206, 230,
                   {{{"LCDButton1", "Включена"},
                     {"LCDButton2", "Автоматически"},
                     {"LCDButton3", "Выключена"}}},
                   "LCDEdit", "LCDUpDown");
    BuildModeGroup(b, "GroupBoxQNSound", p, "Внутренний звук:", 240, 206, 230,
                   {{{"SoundButton1", "Включен"},
                     {"SoundButton2", "Только Тревога"},
                     {"SoundButton3", "Выключен"}}},
                   "SoundEdit", "SoundUpDown");
    b.group("GroupBoxQNStatus", p, "Статус  извещений.", 476, 148, 300, 200);
    BuildStatusPairs(b, "GroupBoxQNStatus", "QnPair",
                     {{"DamagePult1", "DamagePult2", "Вскрытие пульт"},
                      {"DamageRPU1", "DamageRPU2", "Вскрытие РПУ"},
                      {"DamageRPD1", "DamageRPD2", "Вскрытие РПД"},
                      {"ConnectRPU1", "ConnectRPU2", "Нет связи с  РПУ"},
                      {"ConnectRPD1", "ConnectRPD2", "Нет связи с  РПД"},
                      {"Block1", "Block2", "Блокирование РК"},
                      {"ConnectMR1", "ConnectMR2", "Нет связи с  МР"}},
                     "Неиспр.", 140);
}

// 48 labelled two- or three-place fields in six rows of eight.
void BuildDetectorGrid(Builder& b, const std::string& group, const std::string& prefix, int r,
                       const char* maskText, int length, const char* text, int tagBase) {
    for (int d = 1; d <= kDetectorsPerReceiver; ++d) {
        int x = 8 + ((d - 1) % 8) * 114;
        int y = 22 + ((d - 1) / 8) * 28;
        b.label(group, "РПДИ " + Num(d), x, y + 3, 62);
        b.mask(prefix + Num(r) + Num(d), group, maskText, length, x + 64, y, 38, text).tag =
            tagBase + d;
    }
}

void BuildPriv(Builder& b) {
    const std::string page = "TabSheetPriv";
    b.group("GroupBox26", page, "Настройка границ привязок РПДИ по РПУ:", 4, 4, 932, 134);
    b.label("GroupBox26", "Границы номеров разделов ", 8, 20, 220);
    std::vector<std::string> partitions;
    for (int p = 1; p <= kPartitions; ++p) partitions.push_back(Num(p));
    for (int r = 1; r <= kReceivers; ++r) {
        int y = 40 + (r - 1) * 23;
        b.label("GroupBox26", "РПУ №" + Num(r), 230, y + 2, 70);
        b.label("GroupBox26", "Р", 302, y + 2, 14);
        b.combo("Border" + Num(2 * r - 1), "GroupBox26", partitions, 318, y, 56).tag = 2 * r - 1;
        b.label("GroupBox26", "--", 380, y + 2, 18);
        b.label("GroupBox26", "Р", 400, y + 2, 14);
        b.combo("Border" + Num(2 * r), "GroupBox26", partitions, 416, y, 56).tag = 2 * r;
    }
    b.add(K::PageControl, "PageControlRPU", page, "", 4, 142, 932, 230).text = "RPU1";
    for (int r = 1; r <= kReceivers; ++r) {
        std::string tab = "RPU" + Num(r);
        b.add(K::TabSheet, tab, "PageControlRPU", "РПУ №" + Num(r), 0, 0, 0, 0);
        std::string group = r == 1 ? "GroupBoxPriv" : "GroupBoxPriv" + Num(r);
        b.group(group, tab, "Привязки извещателей РПУ Kerma QNM №" + Num(r) + " ", 4, 4, 920, 192);
        BuildDetectorGrid(b, group, "RPD", r, "!99;2; ", 2, "0 ", (r - 1) * 48);
    }
}

// The authority grid of codes or keys: a head row, then one row per entry.
void BuildAuthorityRows(Builder& b, const std::string& scroll, int first, int last, bool codes) {
    const int boxX = codes ? 96 : 152;
    b.label(scroll, codes ? "Номер/код" : "Номер/ключ ТМ", 4, 4, boxX - 8);
    for (int p = 1; p <= kPartitions; ++p) {
        // The code grid's heads have designed names: the QN variant hides them with the boxes.
        std::string name;
        if (codes) name = "Label" + Num(p <= 8 ? 218 + p : 251 + p);
        b.label(scroll, "Р" + Num(p), boxX + (p - 1) * 34, 4, 30, name);
    }
    for (int n = first; n <= last; ++n) {
        int y = 26 + (n - first) * 24;
        b.label(scroll, Num(n), 4, y + 3, 26);
        if (codes) {
            b.mask("kod" + Num(n), scroll, "!999999;1; ", 6, 30, y, 58).tag = n;
        } else {
            Control& key = b.add(K::Edit, "Key" + Num(n), scroll, "", 30, y, 114, kRow);
            key.maxLength = 12;
            key.upperCase = true;
            key.tag = n;
        }
        for (int p = 1; p <= kPartitions; ++p) {
            std::string name = codes ? CodeBoxName(n, p) : KeyBoxName(n, p);
            b.add(K::CheckBox, name, scroll, "", boxX + (p - 1) * 34, y, 20, 20).tag = p;
        }
    }
}

void BuildCountGroup(Builder& b, const std::string& page, const std::string& group,
                     const std::string& caption, const std::string& edit, const std::string& upDown,
                     int max) {
    b.group(group, page, caption, 4, 4, 300, 50);
    b.spin(edit, upDown, group, 8, 20, max);
    b.label(group, "(1-" + Num(max) + ")", 84, 23, 60);
}

void BuildKod(Builder& b) {
    const std::string page = "TabSheetKod";
    BuildCountGroup(b, page, "GroupBoxKodCount", "Количество Кодов:", "NumKodEdit", "KOD", 32);
    b.group("IdBox", page, "Коды и полномочия:", 4, 58, 932, 478);
    b.add(K::ScrollBox, "IdScroll", "IdBox", "", 4, 18, 924, 456);
    BuildAuthorityRows(b, "IdScroll", 1, 32, true);
}

void BuildKey(Builder& b) {
    const std::string page = "TabSheetKey";
    BuildCountGroup(b, page, "GroupBoxKeyCount", "Количество Ключей ТМ:", "NumKeyEdit", "KEY", 96);
    b.add(K::PageControl, "PageControl1", page, "", 4, 58, 932, 478).text = "TM0132";
    static const char* tabs[] = {"TM0132", "TM3264", "TM6496"};
    for (int i = 0; i < 3; ++i) {
        std::string tab = tabs[i];
        b.add(K::TabSheet, tab, "PageControl1",
              "Ключ ТМ № " + Num(i * 32 + 1) + " - " + Num(i * 32 + 32), 0, 0, 0, 0);
        std::string group = "KeyBox" + Num(i + 1);
        b.group(group, tab, "Ключи и полномочия:", 4, 4, 918, 436);
        std::string scroll = "KeyScroll" + Num(i + 1);
        b.add(K::ScrollBox, scroll, group, "", 4, 18, 910, 414);
        BuildAuthorityRows(b, scroll, i * 32 + 1, i * 32 + 32, false);
    }
}

void BuildName(Builder& b) {
    const std::string page = "TabSheetName";
    b.add(K::Button, "BitBtn2", page, "Общий сброс", 4, 4, 160, 28).hint =
        "Обнуление всех объектов.";
    b.add(K::PageControl, "PageControlRPY4", page, "", 4, 38, 932, 498).text = "TabSheet_QN_RPY1";
    for (int r = 1; r <= kReceivers; ++r) {
        std::string tab = "TabSheet_QN_RPY" + Num(r);
        b.add(K::TabSheet, tab, "PageControlRPY4", "РПУ № " + Num(r), 0, 0, 0, 0);
        std::string scroll = "ObjectScroll" + Num(r);
        b.add(K::ScrollBox, scroll, tab, "", 4, 4, 916, 456);
        for (int s = 1; s <= 8; ++s) b.label(scroll, "ШС" + Num(s), 80 + (s - 1) * 56, 4, 50);
        for (int t = 1; t <= 24; ++t) {
            int y = 26 + (t - 1) * 26;
            b.label(scroll, "РПД " + Num((r - 1) * 24 + t) + ":", 4, y + 3, 72);
            for (int s = 1; s <= 8; ++s) {
                b.mask(ObjectName(r, t, s), scroll, "!999;2; ", 3, 80 + (s - 1) * 56, y, 48,
                       r == 1 ? "0  " : "")
                    .tag = (r - 1) * 192 + (t - 1) * 8 + (s - 1);
            }
            b.add(K::Button, RowResetName(r, t), scroll, "Сброс", 80 + 8 * 56 + 8, y - 1, 80, 24);
        }
    }
}

void BuildNameRzd(Builder& b) {
    const std::string page = "TabSheetNameRzd";
    b.add(K::ScrollBox, "NameRzdScroll", page, "", 4, 4, 932, 532);
    for (int p = 1; p <= kPartitions; ++p) {
        int y = 8 + (p - 1) * 30;
        const std::string s = "NameRzdScroll";
        b.label(s, "Раздел " + Num(p), 8, y + 3, 80);
        b.combo("NameRzd" + Num(p), s, PresetPartitionNames(), 92, y, 240, -1).tag = p;
        Control& own = b.add(K::Edit, "OwnName" + Num(p), s, "", 342, y, 120, kRow);
        own.visible = false;
        own.tag = p;
        own.maxLength = 0;  // the length rule cuts it when the field is left
        Control& note = b.label(s, "(макс.8 симв. )", 470, y + 3, 140, "LabelSimb" + Num(p));
        note.visible = false;
        note.tag = p;
    }
}

void BuildSysNum(Builder& b) {
    const std::string page = "TabSheetSysNum";
    b.add(K::PageControl, "PageControl2", page, "", 4, 4, 932, 250).text = "TabSheet3";
    for (int r = 1; r <= kReceivers; ++r) {
        std::string tab = "TabSheet" + Num(r + 2);
        b.add(K::TabSheet, tab, "PageControl2", "РПУ №" + Num(r), 0, 0, 0, 0);
        std::string group = "GroupBoxSysNum" + Num(r);
        b.group(group, tab, "Системные номера РПДИ для РПУ Kerma QNM №" + Num(r) + " ", 4, 4, 920,
                196);
        BuildDetectorGrid(b, group, "RPDI", r, "!999;1; ", 3, "0  ", (r - 1) * 48);
    }
}

void BuildPages(Builder& b) {
    b.add(K::PageControl, "PageControl", "", "", 0, 73, 960, 605).text = "TabSheetRazdel";
    struct Page {
        const char* name;
        const char* caption;
    };
    static const Page pages[] = {
        {"TabSheetRazdel", "Параметры разделов"},
        {"TabSheetPriv", "Привязки извешателей к разделам"},
        {"TabSheetKod", "Редактирование кодов подтверждения"},
        {"TabSheetKey", "Редактирование ключей ТМ"},
        {"TabSheetName", "Условные обозначения"},
        {"TabSheetNameRzd", "Название разделов"},
        {"TabSheetSysNum", "Системные номера РПДИ"},
    };
    for (const Page& page : pages) {
        b.add(K::TabSheet, page.name, "PageControl", page.caption, 0, 0, kPageWidth, kPageHeight);
    }
    BuildPartitionTable(b);
    BuildDeviceColumn(b);
    BuildDeviceGroups(b);
    BuildPanelQn(b);
    BuildPriv(b);
    BuildKod(b);
    BuildKey(b);
    BuildName(b);
    BuildNameRzd(b);
    BuildSysNum(b);
}

void BuildInvisibleParts(Builder& b) {
    b.add(K::StatusBar, "StatusBar1", "", "", 0, 678, 960, 22);
    b.add(K::Label, "StatusPanel0", "StatusBar1", "", 0, 0, 420, 22);
    b.add(K::Label, "StatusPanel1", "StatusBar1", "", 420, 0, 50, 22);
    // Text buffer for configuration files and the five factory images.
    for (int i = 1; i <= 6; ++i) {
        b.add(K::ListBox, "ListBox" + Num(i), "", "", 0, 0, 0, 0).visible = false;
    }
}

}  // namespace

const std::vector<std::string>& PresetPartitionNames() {
    static const std::vector<std::string> names = {
        "раздел",
        "аварийн. сигнализ.",
        "балкон",
        "бойлерная",
        "ванная",
        "ворота",
        "входная дверь",
        "гаражная  дверь",
        "гараж",
        "гостинная",
        "детская",
        "зал",
        "завасный выход",
        "каб. бухгалтера",
        "каб. директора",
        "кабинет",
        "кладовка",
        "комната  №1",
        "комната  №2",
        "комната  №3",
        "комната  №4",
        "комната  №5",
        "комната  №6",
        "комната  №7",
        "комната  №8",
        "комната  №9",
        "коридор",
        "кухня",
        "лестница",
        "мансарда",
        "объем",
        "объем 1",
        "объем 2",
        "объем 3",
        "охран. сигнализ.",
        "периметр",
        "периметр 1",
        "периметр 2",
        "подвал",
        "пожарн. сигнализ.",
        "пост охраны",
        "приемная",
        "прихожая",
        "санузел",
        "сауна",
        "серверная",
        "склад",
        "склад 1",
        "склад 2",
        "спальня",
        "столовая",
        "техн. этаж",
        "туалет",
        "этаж 1",
        "этаж 2",
        "этаж 3",
        "пользовательское название",
    };
    return names;
}

std::string CodeBoxName(int code, int partition) {
    return "q" + TwoDigits(code) + Num(partition);
}

std::string KeyBoxName(int key, int partition) {
    return "qtm" + TwoDigits(key) + Num(partition);
}

std::string ObjectName(int receiver, int row, int loop) {
    std::string name = "Object" + Num(loop) + Num(row);
    return receiver == 1 ? name : name + "R" + Num(receiver);
}

std::string RowResetName(int receiver, int row) {
    return receiver == 1 ? "ButtonRPD" + Num(row) : "ButtonRPY" + Num(receiver) + "RPD" + Num(row);
}

std::string BindingName(int receiver, int detector) {
    return "RPD" + Num(receiver) + Num(detector);
}

std::string SystemNumberName(int receiver, int detector) {
    return "RPDI" + Num(receiver) + Num(detector);
}

void BuildK740Controls(FormModel& model) {
    Builder b(model);
    BuildButtonPanel(b);
    BuildPages(b);
    BuildInvisibleParts(b);

    // Creation steps of the designed window.
    model.setEnabled("PageControl", false);
    for (int p = 1; p <= kPartitions; ++p) model.setItemIndex("NameRzd" + Num(p), 0);
    static const int borders[] = {0, 3, 4, 7, 8, 11, 12, 15};
    for (int n = 1; n <= 8; ++n) model.setItemIndex("Border" + Num(n), borders[n - 1]);
}

void ShowFamilyPanel(FormModel& model, bool qnFamily) {
    model.setVisible("PanelQN", qnFamily);
}

}  // namespace kerma
