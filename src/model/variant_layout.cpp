#include "variant_layout.h"

#include <string>

#include "fields/binding_fields.h"
#include "fields/code_fields.h"
#include "fields/object_fields.h"
#include "fields/partition_fields.h"
#include "fields/window_fields.h"
#include "k740_controls.h"
#include "link_types.h"

namespace kerma {

namespace {

std::string Num(int n) {
    return std::to_string(n);
}

class Shaper {
  public:
    explicit Shaper(K740Editor& editor) : m_(editor.model()), editor_(editor) {}

    void show(const std::string& name, bool visible = true) { m_.setVisible(name, visible); }
    void hide(const std::string& name) { m_.setVisible(name, false); }
    void caption(const std::string& name, std::string text) {
        m_.setCaption(name, std::move(text));
    }
    void enable(const std::string& name, bool enabled) { m_.setEnabled(name, enabled); }

    void family(const std::string& prefix, bool visible) {
        for (int p = 1; p <= kPartitions; ++p) show(prefix + Num(p), visible);
    }

    // The partition table and device groups of the QN-M layout.
    void qnmDevice(bool shown) {
        for (const char* name : {fields::Razdel, fields::Rele1Combo, fields::Rele2Combo})
            enable(name, shown);
        for (const char* name :
             {fields::GroupBox7, fields::GroupBox14, fields::GroupBox19, fields::Status_izv}) {
            show(name, shown);
        }
    }

    void qnmPages(const char* razdelCaption) {
        show(fields::TabSheetRazdel);
        caption(fields::TabSheetRazdel, razdelCaption);
        show(fields::TabSheetKod);
        caption(fields::TabSheetKod, "Редактирование кодов");
        hide(fields::PanelQN);
        show(fields::TabSheetPriv);
        show(fields::TabSheetKey);
        hide(fields::TabSheetName);
        qnmDevice(true);
        show(fields::Label1135);
        family(fields::IsklN, true);
        caption(fields::TypeLabel, "Тип прибора: Kerma 740-QNM");
    }

    void qnPages(const char* razdelCaption) {
        show(fields::TabSheetRazdel);
        caption(fields::TabSheetRazdel, razdelCaption);
        show(fields::PanelQN);
        hide(fields::TabSheetPriv);
        hide(fields::TabSheetKey);
        show(fields::TabSheetName);
        caption(fields::TabSheetName, "Назначение в объекты");
        hide(fields::TabSheetNameRzd);
        hide(fields::GroupBox1);
        hide(fields::GroupBox8);
        qnmDevice(false);
        family(fields::ds2N, false);
        caption(fields::TypeLabel, "Тип прибора: Kerma 740-QN");
        hide(fields::GroupBox26);
        placeBindings(0);
        hide(fields::TabSheetSysNum);
        hide(fields::Label1520);
    }

    // The QN-M receivers: one, or four with their system numbers.
    void receivers(bool four) {
        family(fields::ds2N, four);
        caption(fields::RPU1, four ? "РПУ №1" : "РПУ");
        caption(fields::GroupBoxPriv, four ? "Привязки извещателей РПУ Kerma QNM №1"
                                           : "Привязки извещателей РПУ Kerma QNM");
        show(fields::GroupBox26, four);
        placeBindings(four ? 142 : 0);
        show(fields::TabSheetSysNum, four);
        show(fields::Label1520, four);
        show(fields::GroupBox36, four);
    }

    void placeBindings(int top) {
        const Control& c = m_.at(fields::PageControlRPU);
        m_.setGeometry(c.name, c.left, top, c.width, c.height);
    }

    // Borders of the early four-receiver firmware: four partitions each, not changeable.
    void fixedBorders() {
        static const int borders[] = {0, 3, 4, 7, 8, 11, 12, 15};
        for (int n = 1; n <= 8; ++n) {
            m_.setItemIndex(fields::BorderN + Num(n), borders[n - 1]);
            enable(fields::BorderN + Num(n), false);
        }
    }

    void codeGridHidden() {
        for (int n = 1; n <= kMaxCodes; ++n) {
            for (int p = 1; p <= kPartitions; ++p) {
                std::string name = CodeBoxName(n, p);
                m_.setChecked(name, false);
                hide(name);
            }
        }
        for (int i = 219; i <= 226; ++i) hide(fields::LabelN + Num(i));
        for (int i = 260; i <= 267; ++i) hide(fields::LabelN + Num(i));
    }

    const std::string& versionText() const { return editor_.state().versionText; }

  private:
    FormModel& m_;
    K740Editor& editor_;
};

void Variant1(Shaper& l, int minor, bool demo) {
    l.qnmPages("Параметры разделов");
    l.show(fields::TabSheetNameRzd);
    for (int r = 2; r <= kReceivers; ++r) l.hide(fields::RPUN + Num(r));
    l.receivers(false);
    if (demo) minor = 9;  // the demo shows the newest firmware's form, nothing hidden by age
    if (!demo && minor < 8) {
        l.hide(fields::GroupBox21);
        l.hide(fields::GSMkom);
        l.hide(fields::TabSheetNameRzd);
    }
    if (!demo && minor == 7) l.show(fields::GSMkom);
    if (!demo && minor < 9) {
        l.hide(fields::kom781);
        l.hide(fields::MemRazd);
    }
    if (minor > 8) {
        l.family(fields::ds2N, true);
        l.show(fields::Label1520);
    }
}

void Variant3(Shaper& l, int minor, bool demo) {
    l.qnmPages("Параметры разделов");
    l.receivers(true);
    if (demo) return;
    if (minor < 3) {
        l.fixedBorders();
        l.hide(fields::GroupBox36);
        l.family(fields::ds2N, false);
        l.hide(fields::Label1520);
        if (minor < 2) l.hide(fields::TabSheetSysNum);
    }
    if (minor < 4) {
        l.hide(fields::kom781);
        l.hide(fields::MemRazd);
    }
}

void Variant5(Shaper& l, bool demo) {
    l.qnPages("Режимы работы прибора");
    for (int r = 1; r <= kReceivers; ++r) l.show(fields::TabSheet_QN_RPYN + Num(r));
    l.caption(fields::VersionLabel, "Версия ПО прибора: " + l.versionText());
    l.codeGridHidden();
    l.caption(fields::IdBox, "Коды:");
    if (demo) l.caption(fields::TabSheetKod, "Редактирование кодов подтверждения");
}

void Variant2(Shaper& l) {
    l.qnPages("Конфигурация прибора");
    l.show(fields::TabSheet_QN_RPY1);
    for (int r = 2; r <= kReceivers; ++r) l.hide(fields::TabSheet_QN_RPYN + Num(r));
    l.hide(fields::GroupBox36);
}

}  // namespace

std::optional<int32_t> ApplyVariantLayout(K740Editor& editor, int variant, int minor, bool demo) {
    Shaper l(editor);
    switch (variant) {
        case 1:
            Variant1(l, minor, demo);
            break;
        case 2:
            Variant2(l);
            break;
        case 3:
            Variant3(l, minor, demo);
            break;
        case 4:
            l.hide(fields::TabSheetName);
            break;
        case 5:
            Variant5(l, demo);
            break;
        default:
            break;
    }
    editor.state().layoutVariant = variant;
    editor.state().layoutMinor = minor;
    if (demo) return std::nullopt;
    return DescribeVariant(variant).layoutCode;
}

std::string DemoStatusText(int variant) {
    return std::string("  Демо режим для ") + DescribeVariant(variant).demoName +
           " Связь с прибором недоступна.";
}

}  // namespace kerma
