#include "field_labels.h"

#include <unordered_map>

#include "fields/binding_fields.h"
#include "fields/code_fields.h"
#include "fields/key_fields.h"
#include "fields/name_fields.h"
#include "fields/partition_fields.h"
#include "form_model.h"
#include "codec_memory.h"
#include "k740_controls.h"
#include "settings_fields.h"

namespace kerma {
namespace {

using Labels = std::unordered_map<std::string, std::string>;

std::string N(int n) {
    return std::to_string(n);
}

void Put(Labels& labels, const std::string& name, std::string label) {
    labels.emplace(LowerName(name), std::move(label));
}

// What no row of the settings fields names: the counts, the versions and the partition names.
void Single(Labels& l) {
    const std::pair<const char*, const char*> single[] = {
        {"VersionByte", "Версия ПО прибора"},
        {"CodeCount", "Количество кодов"},
        {"KeyCount", "Количество ключей ТМ"},
        {fields::KOD, "Количество кодов"},
        {fields::NumKodEdit, "Количество кодов"},
        {fields::KEY, "Количество ключей ТМ"},
        {fields::NumKeyEdit, "Количество ключей ТМ"},
    };
    for (const auto& [name, label] : single) Put(l, name, label);
    for (int p = 1; p <= kPartitions; ++p) {
        for (const char* prefix : {fields::NameRzdN, fields::OwnNameN})
            Put(l, prefix + N(p), "Название раздела, раздел " + N(p));
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
    for (int n = 1; n <= kMaxCodes; ++n) {
        Put(l, fields::kodN + N(n), "Код " + N(n));
        for (int p = 1; p <= kPartitions; ++p)
            Put(l, CodeBoxName(n, p), "Полномочия кода " + N(n) + ", раздел " + N(p));
    }
    for (int n = 1; n <= kMaxKeys; ++n) {
        Put(l, fields::KeyN + N(n), "Ключ ТМ " + N(n));
        for (int p = 1; p <= kPartitions; ++p)
            Put(l, KeyBoxName(n, p), "Полномочия ключа ТМ " + N(n) + ", раздел " + N(p));
    }
}

const Labels& AllLabels() {
    static const Labels labels = [] {
        Labels l;
        Single(l);
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
    if (std::string label = SettingsFieldLabel(controlName); !label.empty()) return label;
    const auto& labels = AllLabels();
    auto it = labels.find(LowerName(controlName));
    return it == labels.end() ? std::string(controlName) : it->second;
}

}  // namespace kerma
