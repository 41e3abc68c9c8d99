// Builds without Qt know no application data folder: backups are kept only where
// KERMA740_BACKUP_DIR points.
#include "backups.h"

namespace kerma {

std::string DefaultBackupFolder() {
    return {};
}

}  // namespace kerma
