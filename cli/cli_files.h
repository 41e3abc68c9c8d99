#pragma once
// kerma740-cli commands that work on configuration files through the editor, without a panel:
//   resave IN.cfg OUT.cfg                 load into an editor and save again, as the program would
//   diff A.cfg B.cfg [--secrets]          the fields whose shown values differ, by label
//   defaults --variant N --out FILE.cfg   the factory configuration of variant N as a file
// Each takes the arguments after the command word and returns its ExitStatus.
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli_exit_status.h"
#include "config_file.h"

namespace kerma::cli {

int Resave(const std::vector<std::string>& args, std::ostream& out = std::cout,
           std::ostream& err = std::cerr);
// The blocks the program would send for a configuration file (one the file reader accepts, of a
// known variant): loaded into the editor, the checks of a write passed, both images built.
// nullopt (the reason on err) where the program refuses.
std::optional<ConfigBlocks> BlocksToWrite(const std::string& path, std::ostream& err = std::cerr);
// Blocks read from a panel saved as the program saves them after a read: the checks before a
// save first (their notices on err), which may refuse.
bool SaveReadBlocks(const Block& settings, const Block& codes, const std::string& path,
                    std::ostream& err = std::cerr);

// One line on err when the blocks hold a factory engineer (or administrator) password; nothing
// else changes: a write goes on.
void WarnOfFactoryPasswords(const ConfigBlocks& blocks, std::ostream& err = std::cerr);

// show FILE.cfg: every control the file's variant uses, one name=value line each.
int Show(const std::vector<std::string>& args, std::ostream& out = std::cout,
         std::ostream& err = std::cerr);
// diff A.cfg B.cfg: one line a field that differs, "label: A's value → B's value", as the
// editor compares with a file; passwords, codes and key identifiers masked without --secrets.
inline constexpr const char* kDiffUsage = "diff  A.cfg B.cfg [--secrets]";
int Diff(const std::vector<std::string>& args, std::ostream& out = std::cout,
         std::ostream& err = std::cerr);
int Defaults(const std::vector<std::string>& args, std::ostream& out = std::cout,
             std::ostream& err = std::cerr);

}  // namespace kerma::cli
