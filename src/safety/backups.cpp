#include "backups.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <regex>
#include <system_error>
#include <tuple>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include "file_replace.h"
#include "link_types.h"
#include "utf8_path.h"

namespace kerma {
namespace {

namespace fs = std::filesystem;


// Each kind of backup: the word in its file name and the text the list shows.
struct KindNames {
    BackupKind kind;
    const char* word;
    const char* text;
};
constexpr KindNames kKinds[] = {
    {BackupKind::Read, "read", "считана из прибора"},
    {BackupKind::BeforeWrite, "before-write", "перед записью в прибор"},
    {BackupKind::BeforeFirmware, "before-firmware", "перед сменой прошивки"},
};

const KindNames& NamesOf(BackupKind kind) {
    for (const KindNames& k : kKinds) {
        if (k.kind == kind) return k;
    }
    return kKinds[0];
}

std::string TwoDigits(int n) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", n);
    return text;
}

// The name of a backup: the time first, then the version and kind; a second backup of the same
// name has "-2" and so on ("_2" from earlier versions).
const std::regex& NamePattern() {
    static const std::regex pattern(
        R"(^(\d{4}-\d\d-\d\d)_(\d\d)-(\d\d)-(\d\d)_v(\d+\.\d+)_(read|before-write|before-firmware)([-_]\d+)?\.cfg$)");
    return pattern;
}

// A word of no kind counts as a read.
BackupKind KindOf(const std::string& word) {
    for (const KindNames& k : kKinds) {
        if (word == k.word) return k.kind;
    }
    return BackupKind::Read;
}

// Names a second can give before keep() gives up: far more than backups a second can make.
constexpr int kNamesPerSecond = 1000;

// The folder holds the passwords, codes and keys of every panel read: made new, only its owner
// may open it. A folder that already exists is left as it is (it may be a share on purpose).
Result<void> MakePrivateFolder(const std::string& name) {
    fs::path folder = Utf8Path(name);
    std::error_code ec;
    if (!folder.has_filename()) folder = folder.parent_path();
    if (fs::is_directory(folder, ec)) return {};
    if (folder.has_parent_path()) fs::create_directories(folder.parent_path(), ec);
#ifdef _WIN32
    fs::create_directory(folder, ec);
#else
    ::mkdir(folder.c_str(), 0700);
#endif
    if (fs::is_directory(folder, ec)) return {};
    return Fail("не удалось создать папку " + name);
}

// A block as the line carried it: the low eight bits of every cell.
Block Bytes(const Block& block) {
    Block out(block.size());
    for (size_t i = 0; i < block.size(); ++i) out[i] = block[i] & 0xFF;
    return out;
}

}  // namespace

LocalTime LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &now);
#else
    localtime_r(&now, &tm);
#endif
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string FormatLocalTime(const LocalTime& t) {
    return std::to_string(t.year) + "-" + TwoDigits(t.month) + "-" + TwoDigits(t.day) + " " +
           TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second);
}

namespace {

// The variable's value as UTF-8. Windows hands getenv() the value in the ANSI code page, which
// has no letters for a folder in another script; the wide environment keeps them.
std::string ChosenFolder() {
#ifdef _WIN32
    std::wstring name;
    for (const char* c = kBackupFolderVariable; *c != '\0'; ++c) name += static_cast<wchar_t>(*c);
    return Utf8Text(_wgetenv(name.c_str()));
#else
    const char* value = std::getenv(kBackupFolderVariable);
    return value != nullptr ? value : "";
#endif
}

}  // namespace

std::string BackupFolder() {
    std::string chosen = ChosenFolder();
    if (!chosen.empty()) return chosen;
    return DefaultBackupFolder();
}

std::string BackupFileName(const LocalTime& t, int versionByte, BackupKind kind) {
    return std::to_string(t.year) + "-" + TwoDigits(t.month) + "-" + TwoDigits(t.day) + "_" +
           TwoDigits(t.hour) + "-" + TwoDigits(t.minute) + "-" + TwoDigits(t.second) + "_v" +
           DecodeVersion(versionByte).text + "_" + NamesOf(kind).word + ".cfg";
}

ConfigBlocks FileOfBlocks(const Block& settings, const Block& codes) {
    const int version = VersionOfBlock(settings);
    const int variant = VariantOfVersion(version);
    return FileOfVariant(variant, Bytes(settings), Bytes(codes));
}

std::string BackupKindText(BackupKind kind) {
    return NamesOf(kind).text;
}

BackupStore::BackupStore(std::string folder, int keep) : folder_(std::move(folder)), keep_(keep) {}

Result<std::string> BackupStore::keep(const ConfigBlocks& image, int versionByte, BackupKind kind,
                                      const LocalTime& when) {
    if (folder_.empty()) return Fail("папка резервных копий не определена");
    if (auto made = MakePrivateFolder(folder_); !made) return made.failure();
    const std::string name = BackupFileName(when, versionByte, kind);
    const std::string stem = name.substr(0, name.size() - 4);
    const std::string text = FormatConfigFile(image);
    // Two backups in one second (a read right after a write, two programs at once) both stay.
    for (int n = 1; n <= kNamesPerSecond; ++n) {
        const std::string file = n == 1 ? name : stem + "-" + std::to_string(n) + ".cfg";
        const std::string target = Utf8Text(Utf8Path(folder_) / Utf8Path(file));
        const Result<NewFile> written = CreateFileWhole(target, text);
        if (!written) return written.failure();
        if (*written == NewFile::NameTaken) continue;
        prune(file);
        return target;
    }
    return Fail("все имена резервных копий этой секунды заняты");
}

std::vector<BackupEntry> BackupStore::list() const {
    std::vector<BackupEntry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(Utf8Path(folder_), ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code own;
        if (!it->is_regular_file(own)) continue;
        const std::string name = Utf8Text(it->path().filename());
        std::smatch m;
        if (!std::regex_match(name, m, NamePattern())) continue;
        entries.push_back({name, Utf8Text(it->path()),
                           m[1].str() + " " + m[2].str() + ":" + m[3].str() + ":" + m[4].str(),
                           m[5].str(), KindOf(m[6].str()), it->last_write_time(own)});
    }
    std::sort(entries.begin(), entries.end(), [](const BackupEntry& a, const BackupEntry& b) {
        return std::tie(a.written, a.fileName) < std::tie(b.written, b.fileName);
    });
    return entries;
}

// By the time each file was written, not by its name: a clock set wrong names backups in the
// past or the future. Whatever the clock says, the backup just written stays.
void BackupStore::prune(const std::string& justWritten) const {
    const auto entries = list();
    if (static_cast<int>(entries.size()) <= keep_) return;
    size_t extra = entries.size() - static_cast<size_t>(keep_);
    std::error_code ignored;
    for (size_t i = 0; i < entries.size() && extra > 0; ++i) {
        if (entries[i].fileName == justWritten) continue;
        fs::remove(Utf8Path(entries[i].path), ignored);
        --extra;
    }
}

}  // namespace kerma
