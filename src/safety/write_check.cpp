#include "write_check.h"

#include <algorithm>
#include <memory>

#include "field_compare.h"
#include "field_labels.h"
#include "headless_editor.h"

namespace kerma {
namespace {

// Cells named one by one: each costs a decoding. Beyond them the cells are still listed, and the
// fields of the whole difference are named.
constexpr size_t kCellsNamed = 32;
constexpr size_t kFieldsInNotice = 20;

std::string CellsDiffer(size_t n) {
    const size_t last = n % 10, lastTwo = n % 100;
    const char* word = "ячеек отличаются";
    if (last == 1 && lastTwo != 11) word = "ячейка отличается";
    if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14)) word = "ячейки отличаются";
    return std::to_string(n) + " " + word;
}

void AddUnique(std::vector<std::string>& labels, std::string label) {
    if (std::find(labels.begin(), labels.end(), label) == labels.end())
        labels.push_back(std::move(label));
}

// Labels of the fields whose values differ between two decodings.
std::vector<std::string> DifferingFields(const FieldValues& a, const FieldValues& b) {
    std::vector<std::string> labels;
    for (const FieldDifference& d : CompareFields(a, b)) AddUnique(labels, FieldLabel(d.name));
    return labels;
}

Block Line(const Block& block) {
    Block out(block);
    for (auto& cell : out) cell &= 0xFF;
    return out;
}

FieldValues Decoded(const Block& settings, const Block& codes, int versionByte) {
    HeadlessEditor headless(versionByte);
    headless.decode(settings, codes);
    return headless.fields();
}

void Compare(const Block& sent, const Block& read, bool codes, std::vector<CellDifference>& out) {
    for (size_t i = 0; i < read.size() && i < sent.size(); ++i) {
        if (!codes && i == kVersionCell) continue;
        const int written = sent[i] & 0xFF;
        const int got = read[i] & 0xFF;
        if (written != got) out.push_back({codes, static_cast<int>(i), written, got, {}});
    }
}

}  // namespace

WriteCheck CheckWrite(const Block& sentSettings, const Block& sentCodes, const Block& readSettings,
                      const Block& readCodes, int versionByte) {
    WriteCheck check;
    Compare(sentSettings, readSettings, false, check.cells);
    Compare(sentCodes, readCodes, true, check.cells);
    if (check.matches()) return check;

    const Block settings = Line(sentSettings), codes = Line(sentCodes);
    const FieldValues sent = Decoded(settings, codes, versionByte);
    for (size_t i = 0; i < check.cells.size() && i < kCellsNamed; ++i) {
        CellDifference& d = check.cells[i];
        Block patchedSettings = settings, patchedCodes = codes;
        (d.codes ? patchedCodes : patchedSettings)[static_cast<size_t>(d.cell)] = d.read;
        d.fields = DifferingFields(sent, Decoded(patchedSettings, patchedCodes, versionByte));
    }
    Block readBackSettings = settings, readBackCodes = codes;
    for (const CellDifference& d : check.cells)
        (d.codes ? readBackCodes : readBackSettings)[static_cast<size_t>(d.cell)] = d.read;
    check.fields = DifferingFields(sent, Decoded(readBackSettings, readBackCodes, versionByte));
    for (const CellDifference& d : check.cells) {
        for (const std::string& label : d.fields) AddUnique(check.fields, label);
    }
    return check;
}

std::string DescribeDifference(const CellDifference& d) {
    std::string text = std::string(d.codes ? "коды" : "настройки") + ", ячейка " +
                       std::to_string(d.cell) + ": записано " + std::to_string(d.written) +
                       ", в приборе " + std::to_string(d.read);
    if (d.fields.empty()) return text;
    text += " (";
    for (size_t i = 0; i < d.fields.size(); ++i) text += (i ? "; " : "") + d.fields[i];
    return text + ")";
}

std::string WriteCheckNotice(const WriteCheck& check) {
    if (check.matches()) return kWriteMatchesText;
    std::string text = "Конфигурация в приборе не совпадает с записанной: ";
    text += CellsDiffer(check.cells.size()) + ".";
    if (check.fields.empty()) return text + " Эти ячейки в редакторе не показываются.";
    text += " Отличаются поля:";
    for (size_t i = 0; i < check.fields.size() && i < kFieldsInNotice; ++i)
        text += "\n  " + check.fields[i];
    if (check.fields.size() > kFieldsInNotice)
        text += "\n  и ещё " + std::to_string(check.fields.size() - kFieldsInNotice);
    return text + "\nЗапишите конфигурацию в прибор ещё раз.";
}

}  // namespace kerma
