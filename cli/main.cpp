// kerma740-cli: the panel's link without the editor, for installers who service many panels and
// for the tests. probe, read and write run the same exchanges as the desktop program.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli_commands.h"
#include "cli_files.h"
#include "cli_safety.h"

namespace {

void Usage() {
    std::cerr << "Использование:\n"
                 "  kerma740-cli probe --port ПОРТ\n"
                 "  kerma740-cli read  --port ПОРТ --out ФАЙЛ.cfg [--raw]\n"
                 "  kerma740-cli write --port ПОРТ ФАЙЛ.cfg [--raw] [--verify]\n"
                 "  kerma740-cli show  ФАЙЛ.cfg\n"
                 "  kerma740-cli resave ВХОД.cfg ВЫХОД.cfg\n"
                 "  kerma740-cli diff  A.cfg B.cfg\n"
                 "  kerma740-cli defaults --variant N --out ФАЙЛ.cfg\n"
                 "  kerma740-cli report ФАЙЛ.cfg --out ОТЧЁТ.html|ОТЧЁТ.pdf [--secrets]\n"
                 "  kerma740-cli backups\n"
                 "ПОРТ: путь к устройству (/dev/ttyUSB0) или \"com N\".\n"
                 "read и write работают как программа: файл проходит через редактор и его\n"
                 "проверки. --raw: блоки прибора как есть, без редактора. --verify: после\n"
                 "записи считать оба блока и сравнить их с записанными.\n"
                 "Считанные конфигурации сохраняются как резервные копии (kerma740-cli backups).\n";
}

struct Args {
    std::string command;
    std::map<std::string, std::string> options;
    std::vector<std::string> positional;
};

std::optional<Args> Parse(int argc, char** argv) {
    if (argc < 2) return std::nullopt;
    Args args;
    args.command = argv[1];
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--raw" || arg == "--verify") {
            args.options[arg.substr(2)] = "1";
        } else if (arg.rfind("--", 0) == 0) {
            if (i + 1 >= argc) return std::nullopt;
            args.options[arg.substr(2)] = argv[++i];
        } else {
            args.positional.push_back(arg);
        }
    }
    return args;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2) {
        const std::string cmd = argv[1];
        const std::vector<std::string> rest(argv + 2, argv + argc);
        if (cmd == "show") return kerma::cli::Show(rest);
        if (cmd == "resave") return kerma::cli::Resave(rest);
        if (cmd == "diff") return kerma::cli::Diff(rest);
        if (cmd == "defaults") return kerma::cli::Defaults(rest);
        if (cmd == "report") return kerma::cli::Report(rest);
        if (cmd == "backups") return kerma::cli::Backups(rest);
    }
    const auto args = Parse(argc, argv);
    if (!args) {
        Usage();
        return 2;
    }
    const auto option = [&](const char* name) {
        auto it = args->options.find(name);
        return it == args->options.end() ? std::string() : it->second;
    };
    const std::string& cmd = args->command;
    if (cmd == "probe" && !option("port").empty()) return kerma::cli::Probe(option("port"));
    const bool raw = !option("raw").empty();
    if (cmd == "read" && !option("port").empty() && !option("out").empty())
        return kerma::cli::Read(option("port"), option("out"), raw);
    if (cmd == "write" && !option("port").empty() && args->positional.size() == 1)
        return kerma::cli::Write(option("port"), args->positional[0], raw,
                                 !option("verify").empty());
    Usage();
    return 2;
}
