#include "settings_fields.h"

#include "fields/partition_fields.h"
#include "image_fields.h"
#include "settings_layout.h"

namespace kerma {
namespace {

using namespace settings_cell;
using image_detail::Byte;
using image_detail::ChooseRadio;
using image_detail::Indexed;

constexpr unsigned kQnm = 1U << 1 | 1U << 3;
constexpr unsigned kVariant3 = 1U << 3;
constexpr unsigned kQn = 1U << 5;
constexpr unsigned kQnWithReduced = 1U << 2 | 1U << 5;
constexpr int kItemOn = 0, kItemOff = 1;

SettingsField Row(std::array<const char*, 3> controls, FieldKind kind, int cell, unsigned variants,
                  const char* label) {
    SettingsField row;
    row.controls = controls;
    row.kind = kind;
    row.cell = cell;
    row.variants = variants;
    row.label = label;
    return row;
}

SettingsField ByHand(std::array<const char*, 3> controls, unsigned variants, const char* label,
                     const char* edit = nullptr) {
    SettingsField row = Row(controls, FieldKind::ByHand, -1, variants, label);
    row.edit = edit;
    return row;
}

SettingsField Position(const char* upDown, int cell, unsigned variants, const char* label,
                       const char* edit) {
    SettingsField row = Row({upDown}, FieldKind::Position, cell, variants, label);
    row.edit = edit;
    return row;
}

SettingsField Partitions(const char* prefix, FieldKind kind, int cell, const char* label) {
    SettingsField row = Row({prefix}, kind, cell, kQnm, label);
    row.perPartition = true;
    return row;
}

SettingsField StatusBit(const char* fault, const char* alarm, int bit, const char* event) {
    SettingsField row = Row({fault, alarm}, FieldKind::StatusBit, kStatusBits, kQnm, event);
    row.bit = bit;
    return row;
}

SettingsField StatusCell(const char* fault, const char* alarm, int cell, const char* event) {
    return Row({fault, alarm}, FieldKind::StatusCell, cell, kQn, event);
}

std::vector<SettingsField> BuildRows() {
    using namespace fields;
    return {
        // The QN-M page, variants 1 and 3.
        ByHand({PasswordEdit}, kQnm, "Пароль инженера"),
        ByHand({PasswordEdit2}, kQnm, "Пароль пользователя"),
        Position(Delay, kExitTime, kQnm, "Время выхода", DelayEdit),
        Position(DelayVxod, kEntryTime, kQnm, "Время входа", DelayEditVxod),
        ByHand({Rele1Combo}, kQnm, "Режим работы реле №1"),
        ByHand({Rele2Combo}, kQnm, "Режим работы реле №2"),
        ByHand({Keysound1, keysound2, Keysound3}, kQnm, "Звук клавиатуры"),
        ByHand({Timesound}, kQnm, "Длительность звука клавиатуры", EditTimesound),
        ByHand({LCD_key1, LCD_key2, LCD_key3}, kQnm, "Подсветка ЖКИ"),
        ByHand({TimeLCD}, kQnm, "Длительность подсветки ЖКИ", EditTimeLCD),
        Position(TimesoundExt, kExternalSoundTime, kVariant3, "Длительность внешнего звука",
                 EditSoundExt),
        StatusBit(K740tmpncp, K740tmptr, 0, "Вскрытие пульт"),
        StatusBit(Rpytmpncp, Rpytmptr, 1, "Вскрытие РПУ"),
        StatusBit(Rpdtmpncp, Rpdtmptr, 2, "Вскрытие РПДИ"),
        StatusBit(Rpdcvzncp, Rpdcvztr, 3, "Нет связи с РПДИ"),
        StatusBit(Rpdblokncp, Rpdbloktr, 4, "Блокирование РК"),
        Row({password1, password2}, FieldKind::Switch, kPasswordReset, kQnm,
            "Сброс пароля инженера"),
        Row({GSMkom}, FieldKind::OnOffList, kPollK782, kQnm, "Опрос коммуникатора K-782"),
        Row({kom781}, FieldKind::OnOffList, kPollK781, kQnm, "Опрос коммуникатора K-781"),
        ByHand({MemRazd}, kQnm, "Память состояния разделов"),
        Partitions(avtN, FieldKind::PartitionSet, kAutoArming, "Автовзятие"),
        Partitions(tixN, FieldKind::PartitionSet, kSilentAlarm, "Тихая тревога"),
        Partitions(krsN, FieldKind::PartitionSet, kAllDay, "Круглосуточно"),
        Partitions(privrele1N, FieldKind::PartitionSet, kRelay1Bindings, "Привязка реле 1"),
        Partitions(privrele2N, FieldKind::PartitionSet, kRelay2Bindings, "Привязка реле 2"),
        Partitions(IsklN, FieldKind::PartitionSet, kZoneExclusion, "Исключение групп зон"),
        Partitions(ds0N, FieldKind::ByHand, -1, "Тип раздела"),
        Partitions(ds1N, FieldKind::ByHand, -1, "Тип раздела"),
        Partitions(ds2N, FieldKind::ByHand, -1, "Тип раздела"),
        // The QN page: variant 5, and the engineer password of variant 2's reduced block.
        ByHand({paswrd1}, kQnWithReduced, "Пароль инженера"),
        ByHand({paswrd2}, kQn, "Пароль администратора"),
        Row({ClearPaswrd1, ClearPaswrd2}, FieldKind::Switch, kPasswordReset, kQn, "Сброс паролей"),
        ByHand({ReleQN1}, kQn, "Режим работы реле №1"),
        ByHand({ReleQN2}, kQn, "Режим работы реле №2"),
        ByHand({SpeedLine}, kQn, "Скорость по линии расширения"),
        ByHand({SoundButton1, SoundButton2, SoundButton3}, kQn, "Внутренний звук"),
        ByHand({SoundUpDown}, kQn, "Длительность внутреннего звука", SoundEdit),
        ByHand({LCDButton1, LCDButton2, LCDButton3}, kQn, "Подсветка ЖКИ"),
        ByHand({LCDUpDown}, kQn, "Длительность подсветки ЖКИ", LCDEdit),
        StatusCell(DamagePult1, DamagePult2, kQnStatus + 0, "Вскрытие пульт"),
        StatusCell(DamageRPU1, DamageRPU2, kQnStatus + 1, "Вскрытие РПУ"),
        StatusCell(DamageRPD1, DamageRPD2, kQnStatus + 2, "Вскрытие РПД"),
        StatusCell(ConnectRPU1, ConnectRPU2, kQnStatus + 3, "Нет связи с РПУ"),
        StatusCell(ConnectRPD1, ConnectRPD2, kQnStatus + 4, "Нет связи с РПД"),
        StatusCell(Block1, Block2, kQnStatus + 5, "Блокирование РК"),
        StatusCell(ConnectMR1, ConnectMR2, kQnStatus + 6, "Нет связи с МР"),
    };
}

bool IsStatus(FieldKind kind) {
    return kind == FieldKind::StatusBit || kind == FieldKind::StatusCell;
}

// The partition a box of a partition row stands for, 0 when the name is none of its boxes.
int PartitionOf(const SettingsField& row, const std::string& lowerName) {
    const std::string prefix = LowerName(row.controls[0]);
    if (!lowerName.starts_with(prefix)) return 0;
    const std::string number = lowerName.substr(prefix.size());
    for (int p = 1; p <= kPartitions; ++p) {
        if (number == std::to_string(p)) return p;
    }
    return 0;
}

void DecodeRow(FormModel& model, const SettingsField& row, const Block& cells) {
    const int byte = row.cell >= 0 ? Byte(cells, row.cell) : 0;
    const auto pair = [&](bool second) {
        ChooseRadio(model, {row.controls[0], row.controls[1]}, row.controls[second ? 1 : 0]);
    };
    switch (row.kind) {
        case FieldKind::Position:
            model.setPosition(row.controls[0], byte);
            break;
        case FieldKind::PartitionSet:
            image_detail::DecodePartitionBits(model, row.controls[0], cells, row.cell);
            break;
        case FieldKind::StatusBit:
            pair((byte >> row.bit) & 1);
            break;
        case FieldKind::StatusCell:
            pair(byte == 1);
            break;
        case FieldKind::Switch:
            pair(byte != 0);
            break;
        case FieldKind::OnOffList:
            model.setItemIndex(row.controls[0], byte == 0 ? kItemOff : kItemOn);
            break;
        case FieldKind::ByHand:
            break;
    }
}

void EncodeRow(const FormModel& model, const SettingsField& row, Block& cells) {
    const auto checked = [&](int i) { return model.at(row.controls[i]).checked; };
    switch (row.kind) {
        case FieldKind::Position:
            cells[row.cell] = model.at(row.controls[0]).position;
            break;
        case FieldKind::PartitionSet:
            image_detail::EncodePartitionBits(model, row.controls[0], cells, row.cell);
            break;
        case FieldKind::StatusBit:
            if (checked(1)) cells[row.cell] |= 1 << row.bit;
            break;
        case FieldKind::StatusCell:
            cells[row.cell] = checked(1) ? 1 : 0;
            break;
        case FieldKind::Switch:
            cells[row.cell] = checked(0) ? 0 : 1;
            break;
        case FieldKind::OnOffList:
            cells[row.cell] = model.at(row.controls[0]).itemIndex == kItemOn ? 0xFF : 0;
            break;
        case FieldKind::ByHand:
            break;
    }
}

}  // namespace

const std::vector<SettingsField>& SettingsFields() {
    static const std::vector<SettingsField> rows = BuildRows();
    return rows;
}

const SettingsField* FindSettingsField(std::string_view control) {
    const std::string name = LowerName(control);
    for (const SettingsField& row : SettingsFields()) {
        if (row.perPartition) {
            if (PartitionOf(row, name) != 0) return &row;
            continue;
        }
        for (const char* c : row.controls) {
            if (c != nullptr && LowerName(c) == name) return &row;
        }
        if (row.edit != nullptr && LowerName(row.edit) == name) return &row;
    }
    return nullptr;
}

std::string SettingsFieldLabel(std::string_view control) {
    const SettingsField* row = FindSettingsField(control);
    if (row == nullptr) return {};
    if (IsStatus(row->kind)) return std::string("Статус извещения «") + row->label + "»";
    if (!row->perPartition) return row->label;
    return std::string(row->label) + ", раздел " +
           std::to_string(PartitionOf(*row, LowerName(control)));
}

void DecodeSettingsFields(FormModel& model, const Block& cells, int variant) {
    for (const SettingsField& row : SettingsFields()) {
        if (row.in(variant)) DecodeRow(model, row, cells);
    }
}

// A cell of status bits holds nothing but them.
void EncodeSettingsFields(const FormModel& model, Block& cells, int variant) {
    for (const SettingsField& row : SettingsFields()) {
        if (row.in(variant) && row.kind == FieldKind::StatusBit) cells[row.cell] = 0;
    }
    for (const SettingsField& row : SettingsFields()) {
        if (row.in(variant)) EncodeRow(model, row, cells);
    }
}

}  // namespace kerma
