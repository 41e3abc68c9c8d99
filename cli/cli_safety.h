#pragma once
// kerma740-cli commands of the safety net:
//   backups                                        the backups kept, oldest first
//   report FILE.cfg --out FILE.html|FILE.pdf [--secrets]   a readable report of a configuration
// and the pieces read and write use: the backup of a read, the check of a write.
#include <iostream>
#include <string>
#include <vector>

#include "backups.h"
#include "report_file.h"
#include "exchange.h"
#include "sync_link.h"

namespace kerma::cli {

int Backups(const std::vector<std::string>& args, std::ostream& out = std::cout,
            std::ostream& err = std::cerr);
// pdf renders a PDF report (the client's Qt side); without it a PDF is refused.
int Report(const std::vector<std::string>& args, PdfRenderer pdf, std::ostream& out = std::cout,
           std::ostream& err = std::cerr);

// Keeps the blocks just read as a backup of the kind given and hands back its path. A backup that
// cannot be written changes nothing else: its caller tells it and goes on.
Result<std::string> KeepPanelBackup(const Block& settings, const Block& codes,
                                    BackupKind kind = BackupKind::Read);

// After a write on link: reads both blocks back and compares them with those sent. Exit status
// 0 when they match, 1 (the differing cells on err) when not or when the read fails.
int CheckWrittenBlocks(SyncLink& link, const Block& settings, const Block& codes,
                       std::ostream& err = std::cerr);

}  // namespace kerma::cli
