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

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

#ifdef _WIN32
// The C runtime hands main() its arguments in the ANSI code page, which turns a file name in
// another script into question marks; the wide command line keeps every letter. The rest of
// the program speaks UTF-8.
std::vector<std::string> Utf8Arguments() {
    std::vector<std::string> out;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return out;
    for (int i = 0; i < count; ++i) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(static_cast<size_t>(size > 0 ? size : 1), '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arg.data(), size, nullptr, nullptr);
        arg.resize(arg.size() - 1);
        out.push_back(std::move(arg));
    }
    LocalFree(wide);
    return out;
}

// The messages are UTF-8; a console shows them right only in its UTF-8 code page. The console
// belongs to the shell that started us, so its own code page comes back when we end.
class Utf8Console {
  public:
    Utf8Console() : old_(GetConsoleOutputCP()) {
        if (old_ != 0) SetConsoleOutputCP(CP_UTF8);
    }
    ~Utf8Console() {
        if (old_ != 0) SetConsoleOutputCP(old_);
    }
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;

  private:
    UINT old_;
};
#endif

void Usage() {
    std::cerr << "Использование:\n"
                 "  kerma740-cli probe --port ПОРТ\n"
                 "  kerma740-cli read  --port ПОРТ --out ФАЙЛ.cfg [--raw]\n"
                 "  kerma740-cli write --port ПОРТ ФАЙЛ.cfg [--raw]\n"
                 "  kerma740-cli show  ФАЙЛ.cfg\n"
                 "  kerma740-cli resave ВХОД.cfg ВЫХОД.cfg\n"
                 "  kerma740-cli diff  A.cfg B.cfg\n"
                 "  kerma740-cli defaults --variant N --out ФАЙЛ.cfg\n"
                 "ПОРТ: путь к устройству (/dev/ttyUSB0) или \"com N\".\n"
                 "read и write работают как программа: файл проходит через редактор и его\n"
                 "проверки. --raw: блоки прибора как есть, без редактора.\n";
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
        if (arg == "--raw") {
            args.options["raw"] = "1";
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
#ifdef _WIN32
    const Utf8Console console;
    std::vector<std::string> utf8 = Utf8Arguments();
    std::vector<char*> pointers;
    for (std::string& arg : utf8) pointers.push_back(arg.data());
    if (!pointers.empty()) {
        argc = static_cast<int>(pointers.size());
        argv = pointers.data();
    }
#endif
    if (argc >= 2) {
        const std::string cmd = argv[1];
        const std::vector<std::string> rest(argv + 2, argv + argc);
        if (cmd == "show") return kerma::cli::Show(rest);
        if (cmd == "resave") return kerma::cli::Resave(rest);
        if (cmd == "diff") return kerma::cli::Diff(rest);
        if (cmd == "defaults") return kerma::cli::Defaults(rest);
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
        return kerma::cli::Write(option("port"), args->positional[0], raw);
    Usage();
    return 2;
}
