// kerma740-cli: the panel's link without the editor, for installers who service many panels and
// for the tests. probe, read and write run the same exchanges as the desktop program.
#include <algorithm>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli_commands.h"
#include "cli_exit_status.h"
#include "cli_files.h"
#include "cli_safety.h"
#include "console_output.h"
#include "report_file.h"
#include "utf8_path.h"

#ifdef KERMA_CLI_PDF
#include <QGuiApplication>

#include "report_pdf.h"
#endif
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>
#endif

namespace {

using Args = std::vector<std::string>;

#ifdef KERMA_CLI_PDF
QtMessageHandler qtHandler = nullptr;

// Qt's remarks about the display and the runtime folder the client does not use would stand
// among the client's own messages; what Qt cannot do still reaches the error stream.
void QtFailuresOnly(QtMsgType type, const QMessageLogContext& where, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg) qtHandler(type, where, text);
}
#endif

// A PDF is laid out by Qt's text layout, which takes its fonts from a QGuiApplication: the client
// makes one for a PDF report only. Nothing is shown on a screen, so on Linux the offscreen
// platform serves unless QT_QPA_PLATFORM names one, and the report is made without a display.
int Report(const Args& args) {
#ifdef KERMA_CLI_PDF
    const auto out = std::find(args.begin(), args.end(), "--out");
    if (out == args.end() || out + 1 == args.end() || !kerma::IsPdfReportName(out[1]))
        return kerma::cli::Report(args, nullptr);
    char name[] = "kerma740-cli", option[] = "-platform", platform[] = "offscreen";
    char* argv[] = {name, option, platform, nullptr};
    int argc = 1;
#ifndef _WIN32
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) argc = 3;
#endif
    argv[argc] = nullptr;
    qtHandler = qInstallMessageHandler(QtFailuresOnly);
    const QGuiApplication gui(argc, argv);
    return kerma::cli::Report(args, kerma::RenderPdfReport);
#else
    return kerma::cli::Report(args, nullptr);
#endif
}

struct Command {
    std::string_view name;
    std::string_view usage;
    int (*run)(const Args&);
};

const Command kCommands[] = {
    {"ports", kerma::cli::kPortsUsage, kerma::cli::Ports},
    {"probe", kerma::cli::kProbeUsage, kerma::cli::Probe},
    {"read", kerma::cli::kReadUsage, kerma::cli::Read},
    {"write", kerma::cli::kWriteUsage, kerma::cli::Write},
    {"show", "show  ФАЙЛ.cfg", [](const Args& a) { return kerma::cli::Show(a); }},
    {"resave", "resave ВХОД.cfg ВЫХОД.cfg", [](const Args& a) { return kerma::cli::Resave(a); }},
    {"diff", kerma::cli::kDiffUsage, [](const Args& a) { return kerma::cli::Diff(a); }},
    {"defaults", "defaults --variant N --out ФАЙЛ.cfg",
     [](const Args& a) { return kerma::cli::Defaults(a); }},
    {"report", "report ФАЙЛ.cfg --out ОТЧЁТ.html|ОТЧЁТ.pdf [--secrets]",
     Report},
    {"backups", "backups", [](const Args& a) { return kerma::cli::Backups(a); }},
};

#ifdef _WIN32
constexpr const char* kPortUsage =
    "ПОРТ: \"com N\", например \"com 3\" (порты компьютера: kerma740-cli ports).\n";
#else
constexpr const char* kPortUsage =
    "ПОРТ: путь к устройству (/dev/ttyUSB0), его имя (ttyUSB0) или \"com N\" (kerma740-cli "
    "ports).\n";
#endif

// Asked for (--help) it goes to the output and the run succeeds; after a wrong command line it
// goes to the error stream.
int Usage(bool asked = false) {
    std::ostream& out = asked ? std::cout : std::cerr;
    out << "Использование:\n";
    for (const Command& command : kCommands) out << "  kerma740-cli " << command.usage << "\n";
    out << kPortUsage
        << "read и write работают как программа: файл проходит через редактор и его\n"
           "проверки. --raw: блоки прибора как есть, байт в байт, без редактора.\n"
           "--verify: после записи считать оба блока и сравнить их с записанными.\n"
           "probe --format=keys: строки type=, version=, version_text=, variant= для\n"
           "сценариев.\n"
           "write сначала считывает конфигурацию прибора и сохраняет её резервную копию\n"
           "(до 25 с на 1200 бод); --no-backup: записать без неё.\n"
           "Считанные конфигурации сохраняются как резервные копии (kerma740-cli backups).\n"
           "diff: по строке на каждое различие, «поле: в A → в B», поля названы, как в\n"
           "редакторе (Ctrl+D). diff и report скрывают пароли, коды и номера ключей;\n"
           "--secrets: показать их.\n"
           "Код завершения: 0 выполнено; 1 отказ или ошибка (прибор, порт, проверка,\n"
           "файл результата; у diff: файлы различаются); 2 неверные аргументы или\n"
           "входной файл не прочитан или не является файлом конфигурации.\n";
    return asked ? kerma::cli::kDone : kerma::cli::kUnusable;
}

// The arguments as UTF-8. On Windows argv is in the ANSI code page, which cannot hold every file
// name; the wide command line can.
Args Arguments(int argc, char** argv) {
#ifdef _WIN32
    (void)argc;
    (void)argv;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    Args args;
    for (int i = 0; wide != nullptr && i < count; ++i) args.push_back(kerma::Utf8Text(wide[i]));
    LocalFree(wide);
    return args;
#else
    return Args(argv, argv + argc);
#endif
}

}  // namespace

int main(int argc, char** argv) {
    kerma::cli::UseConsoleOutput();
    const Args args = Arguments(argc, argv);
    if (args.size() < 2) return Usage();
    if (args[1] == "--help" || args[1] == "-h" || args[1] == "/?") return Usage(true);
    for (const Command& command : kCommands) {
        if (command.name == args[1]) return command.run(Args(args.begin() + 2, args.end()));
    }
    return Usage();
}
