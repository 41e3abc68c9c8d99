#include "cli_safety.h"

#include <filesystem>

#include "backups.h"
#include "cli_exit_status.h"
#include "config_report.h"
#include "editor_files.h"
#include "factory_defaults.h"
#include "headless_editor.h"
#include "report_file.h"
#include "utf8_path.h"
#include "write_check.h"

namespace kerma::cli {
namespace {


int Usage(std::ostream& err, const char* line) {
    err << "Использование: kerma740-cli " << line << "\n";
    return kUnusable;
}

}  // namespace

int Backups(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (!args.empty()) return Usage(err, "backups");
    const std::string folder = BackupFolder();
    if (folder.empty()) {
        err << "Папка резервных копий не определена (задайте " << kBackupFolderVariable << ").\n";
        return kFailed;
    }
    const auto entries = BackupStore(folder).list();
    out << "Резервные копии конфигураций: " << folder << "\n";
    if (entries.empty()) out << "Резервных копий нет.\n";
    for (const BackupEntry& e : entries)
        out << e.when << "  v" << e.version << "  " << BackupKindText(e.kind) << "  " << e.fileName
            << "\n";
    return kDone;
}

int Report(const std::vector<std::string>& args, PdfRenderer pdf, std::ostream&,
           std::ostream& err) {
    const char* usage = "report ФАЙЛ.cfg --out ОТЧЁТ.html|ОТЧЁТ.pdf [--secrets]";
    std::string file, outPath;
    bool secrets = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--secrets") {
            secrets = true;
        } else if (args[i] == "--out" && i + 1 < args.size() && outPath.empty()) {
            outPath = args[++i];
        } else if (args[i].rfind("--", 0) != 0 && file.empty()) {
            file = args[i];
        } else {
            return Usage(err, usage);
        }
    }
    if (file.empty() || outPath.empty()) return Usage(err, usage);

    auto parsed = ReadConfigFile(file);
    if (!parsed) {
        err << file << ": " << parsed.error() << "\n";
        return kUnusable;
    }
    const int version = parsed->settings[kVersionCell];
    if (!HasFactoryConfiguration(VariantOfVersion(version))) {
        err << file << ": версия ПО " << version << " не относится ни к одному типу системы.\n";
        return kUnusable;
    }
    HeadlessEditor headless(version);
    if (!LoadConfigurationFrom(*headless.editor, headless.image, headless.variant, file)) {
        for (const auto& notice : headless.prompts.notices) err << notice << "\n";
        return kUnusable;
    }
    ReportOptions options;
    options.secrets = secrets;
    options.source = Utf8Text(Utf8Path(file).filename());
    options.date = FormatLocalTime(LocalTimeNow());
    const std::string html = BuildConfigReport(*headless.editor, headless.variant, options);
    if (auto written = WriteReport(outPath, html, pdf, file); !written) {
        err << written.error() << "\n";
        return kFailed;
    }
    err << "Отчёт о конфигурации записан в файл " << outPath << "\n";
    return kDone;
}

Result<std::string> KeepPanelBackup(const Block& settings, const Block& codes, BackupKind kind) {
    const int version = VersionOfBlock(settings);
    auto saved = SavedFileOfBlocks(settings, codes);
    const ConfigBlocks file = saved ? *saved : FileOfBlocks(settings, codes);
    auto kept = BackupStore(BackupFolder()).keep(file, version, kind, LocalTimeNow());
    if (!kept) return Fail("Резервная копия не сохранена: " + kept.error(), kept.failure().reason);
    return kept;
}

int CheckWrittenBlocks(SyncLink& link, const Block& settings, const Block& codes,
                       std::ostream& err) {
    link.run(LinkOperation::ReadCodes);
    if (link.verdict() != LinkResult::Read) {
        err << "Проверка записи: конфигурацию из прибора считать не удалось.\n";
        return kFailed;
    }
    if (auto kept = KeepPanelBackup(link.settings(), link.codes()); !kept)
        err << kept.error() << "\n";
    const int version = VersionOfBlock(link.settings());
    const WriteCheck check = CheckWrite(settings, codes, link.settings(), link.codes(), version);
    if (check.matches()) {
        err << kWriteMatchesText << "\n";
        return kDone;
    }
    err << "Конфигурация в приборе не совпадает с записанной. Отличаются ячейки:\n";
    for (const CellDifference& d : check.cells) err << "  " << DescribeDifference(d) << "\n";
    return kFailed;
}

}  // namespace kerma::cli
