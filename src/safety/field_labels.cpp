#include "field_labels.h"

#include <unordered_map>

#include "fields/binding_fields.h"
#include "fields/code_fields.h"
#include "fields/key_fields.h"
#include "fields/name_fields.h"
#include "fields/partition_fields.h"
#include "form_model.h"
#include "image_state.h"
#include "k740_controls.h"

namespace kerma {
namespace {

using Labels = std::unordered_map<std::string, std::string>;

std::string N(int n) {
    return std::to_string(n);
}

void Put(Labels& labels, const std::string& name, std::string label) {
    labels.emplace(LowerName(name), std::move(label));
}

void Single(Labels& l) {
    const std::pair<const char*, const char*> single[] = {
        {"VersionByte", "Версия ПО прибора"},
        {"CodeCount", "Количество кодов"},
        {"KeyCount", "Количество ключей ТМ"},
        {fields::PasswordEdit, "Пароль инженера"},
        {fields::PasswordEdit2, "Пароль пользователя"},
        {fields::Delay, "Время выхода"},
        {fields::DelayEdit, "Время выхода"},
        {fields::DelayVxod, "Время входа"},
        {fields::DelayEditVxod, "Время входа"},
        {fields::Rele1Combo, "Режим работы реле №1"},
        {fields::Rele2Combo, "Режим работы реле №2"},
        {fields::Timesound, "Длительность звука клавиатуры"},
        {fields::EditTimesound, "Длительность звука клавиатуры"},
        {fields::TimeLCD, "Длительность подсветки ЖКИ"},
        {fields::EditTimeLCD, "Длительность подсветки ЖКИ"},
        {fields::TimesoundExt, "Длительность внешнего звука"},
        {fields::EditSoundExt, "Длительность внешнего звука"},
        {fields::password1, "Сброс пароля инженера"},
        {fields::password2, "Сброс пароля инженера"},
        {fields::GSMkom, "Опрос коммуникатора K-782"},
        {fields::kom781, "Опрос коммуникатора K-781"},
        {fields::MemRazd, "Память состояния разделов"},
        {fields::paswrd1, "Пароль инженера"},
        {fields::paswrd2, "Пароль администратора"},
        {fields::ClearPaswrd1, "Сброс паролей"},
        {fields::ClearPaswrd2, "Сброс паролей"},
        {fields::ReleQN1, "Режим работы реле №1"},
        {fields::ReleQN2, "Режим работы реле №2"},
        {fields::SpeedLine, "Скорость по линии расширения"},
        {fields::SoundUpDown, "Длительность внутреннего звука"},
        {fields::SoundEdit, "Длительность внутреннего звука"},
        {fields::LCDUpDown, "Длительность подсветки ЖКИ"},
        {fields::LCDEdit, "Длительность подсветки ЖКИ"},
        {fields::KOD, "Количество кодов"},
        {fields::NumKodEdit, "Количество кодов"},
        {fields::KEY, "Количество ключей ТМ"},
        {fields::NumKeyEdit, "Количество ключей ТМ"},
    };
    for (const auto& [name, label] : single) Put(l, name, label);
    for (int i = 1; i <= 3; ++i) {
        Put(l, i == 2 ? fields::keysound2 : fields::KeysoundN + N(i), "Звук клавиатуры");
        Put(l, fields::LCD_keyN + N(i), "Подсветка ЖКИ");
        Put(l, fields::LCDButtonN + N(i), "Подсветка ЖКИ");
        Put(l, fields::SoundButtonN + N(i), "Внутренний звук");
    }
}

// Fault/alarm radio pairs of the notification statuses.
void Statuses(Labels& l) {
    const std::pair<const char*, const char*> qnm[] = {
        {"K740tmp", "Вскрытие пульт"},  {"Rpytmp", "Вскрытие РПУ"},     {"Rpdtmp", "Вскрытие РПДИ"},
        {"Rpdcvz", "Нет связи с РПДИ"}, {"Rpdblok", "Блокирование РК"},
    };
    for (const auto& [stem, event] : qnm) {
        const std::string label = std::string("Статус извещения «") + event + "»";
        Put(l, std::string(stem) + "ncp", label);
        Put(l, std::string(stem) + "tr", label);
    }
    const std::pair<const char*, const char*> qn[] = {
        {fields::DamagePultN, "Вскрытие пульт"},  {fields::DamageRPUN, "Вскрытие РПУ"},
        {fields::DamageRPDN, "Вскрытие РПД"},     {fields::ConnectRPUN, "Нет связи с РПУ"},
        {fields::ConnectRPDN, "Нет связи с РПД"}, {fields::BlockN, "Блокирование РК"},
        {fields::ConnectMRN, "Нет связи с МР"},
    };
    for (const auto& [stem, event] : qn) {
        const std::string label = std::string("Статус извещения «") + event + "»";
        Put(l, std::string(stem) + "1", label);
        Put(l, std::string(stem) + "2", label);
    }
}

void Partitions(Labels& l) {
    const std::pair<const char*, const char*> families[] = {
        {fields::avtN, "Автовзятие"},
        {fields::tixN, "Тихая тревога"},
        {fields::krsN, "Круглосуточно"},
        {fields::privrele1N, "Привязка реле 1"},
        {fields::privrele2N, "Привязка реле 2"},
        {fields::IsklN, "Исключение групп зон"},
        {fields::ds0N, "Тип раздела"},
        {fields::ds1N, "Тип раздела"},
        {fields::ds2N, "Тип раздела"},
        {fields::NameRzdN, "Название раздела"},
        {fields::OwnNameN, "Название раздела"},
    };
    for (int p = 1; p <= kPartitions; ++p) {
        for (const auto& [prefix, what] : families)
            Put(l, prefix + N(p), std::string(what) + ", раздел " + N(p));
    }
}

void Receivers(Labels& l) {
    for (int r = 1; r <= kReceivers; ++r) {
        const std::string receiver = "РПУ №" + N(r);
        Put(l, fields::BorderN + N(2 * r - 1), "Границы разделов, " + receiver);
        Put(l, fields::BorderN + N(2 * r), "Границы разделов, " + receiver);
        for (int d = 1; d <= kDetectorsPerReceiver; ++d) {
            Put(l, BindingName(r, d), "Привязка РПДИ " + N(d) + ", " + receiver);
            Put(l, SystemNumberName(r, d), "Системный номер РПДИ " + N(d) + ", " + receiver);
        }
        for (int t = 1; t <= kQnRows; ++t) {
            const int row = (r - 1) * kQnRows + t;
            for (int s = 1; s <= kQnLoops; ++s)
                Put(l, ObjectName(r, t, s),
                    "Объект, " + receiver + ", РПД " + N(row) + ", ШС" + N(s));
        }
    }
}

void CodesAndKeys(Labels& l) {
    for (int n = 1; n <= 32; ++n) {
        Put(l, fields::kodN + N(n), "Код " + N(n));
        for (int p = 1; p <= kPartitions; ++p)
            Put(l, CodeBoxName(n, p), "Полномочия кода " + N(n) + ", раздел " + N(p));
    }
    for (int n = 1; n <= 96; ++n) {
        Put(l, fields::KeyN + N(n), "Ключ ТМ " + N(n));
        for (int p = 1; p <= kPartitions; ++p)
            Put(l, KeyBoxName(n, p), "Полномочия ключа ТМ " + N(n) + ", раздел " + N(p));
    }
}

const Labels& AllLabels() {
    static const Labels labels = [] {
        Labels l;
        Single(l);
        Statuses(l);
        Partitions(l);
        Receivers(l);
        CodesAndKeys(l);
        return l;
    }();
    return labels;
}

const Labels& AllChoiceWords() {
    static const Labels words = [] {
        Labels w;
        for (int p = 1; p <= kPartitions; ++p) {
            Put(w, fields::ds0N + N(p), "пожарный");
            Put(w, fields::ds1N + N(p), "охранный");
            Put(w, fields::ds2N + N(p), "аварийный");
        }
        for (const char* stem : {fields::KeysoundN, fields::SoundButtonN}) {
            Put(w, stem + N(1), "включён");
            Put(w, stem + N(2), "только тревога");  // keysound2 as well: lookup ignores case
            Put(w, stem + N(3), "выключен");
        }
        for (const char* stem : {fields::LCD_keyN, fields::LCDButtonN}) {
            Put(w, stem + N(1), "включена");
            Put(w, stem + N(2), "автоматически");
            Put(w, stem + N(3), "выключена");
        }
        for (const char* stem : {"password", "ClearPaswrd"}) {
            Put(w, stem + N(1), "разрешён");
            Put(w, stem + N(2), "запрещён");
        }
        for (const char* stem : {"K740tmp", "Rpytmp", "Rpdtmp", "Rpdcvz", "Rpdblok"}) {
            Put(w, std::string(stem) + "ncp", "неисправность");
            Put(w, std::string(stem) + "tr", "тревога");
        }
        for (const char* stem : {fields::DamagePultN, fields::DamageRPUN, fields::DamageRPDN,
                                 fields::ConnectRPUN, fields::ConnectRPDN, fields::BlockN,
                                 fields::ConnectMRN}) {
            Put(w, stem + N(1), "неисправность");
            Put(w, stem + N(2), "тревога");
        }
        return w;
    }();
    return words;
}

}  // namespace

std::string ChoiceWord(std::string_view radioName) {
    const auto& words = AllChoiceWords();
    auto it = words.find(LowerName(radioName));
    return it == words.end() ? std::string(radioName) : it->second;
}

std::string OnOffWord(int itemIndex) {
    return itemIndex == 0 ? "включён" : itemIndex == 1 ? "выключен" : "—";
}

std::string FieldLabel(std::string_view controlName) {
    const auto& labels = AllLabels();
    auto it = labels.find(LowerName(controlName));
    return it == labels.end() ? std::string(controlName) : it->second;
}

}  // namespace kerma
