#include "file_replace.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <random>
#include <system_error>

#include "system_error_text.h"
#include "utf8_path.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace kerma {
namespace {

namespace fs = std::filesystem;

enum class Fault { Access, NoFolder, NoSpace, Folder, Busy, NotAFile, Other };

struct WriteFault {
    Fault fault = Fault::Other;
    long code = 0;  // errno or GetLastError, for the faults the user gets no words for
};

std::string Reason(const WriteFault& failure) {
    switch (failure.fault) {
        case Fault::NoFolder:
            return "папка не найдена";
        case Fault::NoSpace:
            return "на диске нет места";
        case Fault::Folder:
            return "это папка";
        case Fault::Busy:
            return "файл занят другой программой";
        case Fault::NotAFile:
            return "это не обычный файл";
        case Fault::Access:
        case Fault::Other:
            break;
    }
    return SystemErrorText(std::error_code(static_cast<int>(failure.code), std::system_category()));
}

// Access gets words of its own, without the system's.
Failure Message(std::string_view what, const std::string& path, const WriteFault& fault) {
    if (fault.fault == Fault::Access) return Fail("Нет доступа к файлу " + path + ".");
    const std::string reason = Reason(fault);
    return Fail(CannotWriteText(what, path, reason), reason);
}

// A symbolic link stays a link: the file it names is the one replaced. A loop of links is left
// for the file system to report.
fs::path FinalTarget(fs::path path) {
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(path, ec))) return path;
        fs::path target = fs::read_symlink(path, ec);
        if (ec) return path;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

constexpr std::string_view kTemporaryEnd = ".kerma-new";
constexpr size_t kTagDigits = 8;

// A name nobody else uses: it starts with the target's own name so a leftover (after a power cut)
// says what it was, and the file is only ever created new, so no file of the user's is touched.
fs::path TemporaryName(const fs::path& target) {
    static std::atomic<unsigned> counter{std::random_device{}()};
    const unsigned tag = counter.fetch_add(0x9E3779B9u);
    char hex[kTagDigits + 1];
    std::snprintf(hex, sizeof hex, "%08x", tag);
    fs::path name = target;
    name.replace_filename(
        Utf8Path("." + Utf8Text(target.filename()) + "." + hex + std::string(kTemporaryEnd)));
    return name;
}

// ".NAME.1a2b3c4d.kerma-new", as TemporaryName makes them.
bool IsOurTemporary(std::string_view name) {
    if (name.size() < 3 + kTagDigits + kTemporaryEnd.size() || !name.starts_with('.') ||
        !name.ends_with(kTemporaryEnd)) {
        return false;
    }
    const std::string_view tag =
        name.substr(name.size() - kTemporaryEnd.size() - kTagDigits, kTagDigits);
    return name[name.size() - kTemporaryEnd.size() - kTagDigits - 1] == '.' &&
           std::all_of(tag.begin(), tag.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// A write killed half-way (power cut, a killed process) leaves its temporary file behind, with
// the passwords in it. The next write into the folder removes ours that are over an hour old: a
// younger one may belong to a write still under way.
void RemoveLeftovers(const fs::path& target) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const auto hourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code ignored;
        if (!IsOurTemporary(Utf8Text(it->path().filename())) ||
            it->symlink_status(ignored).type() != fs::file_type::regular) {
            continue;
        }
        const auto written = fs::last_write_time(it->path(), ignored);
        if (!ignored && written < hourAgo) fs::remove(it->path(), ignored);
    }
}

struct Target {
    fs::path path;
    bool exists = false;
#ifndef _WIN32
    struct stat status {};
#endif
};

#ifdef _WIN32

WriteFault FaultOf(DWORD code) {
    switch (code) {
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return {Fault::Access, static_cast<long>(code)};
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
            return {Fault::NoFolder, static_cast<long>(code)};
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return {Fault::NoSpace, static_cast<long>(code)};
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return {Fault::Busy, static_cast<long>(code)};
        default:
            return {Fault::Other, static_cast<long>(code)};
    }
}

// The read-only attribute refuses the save even where the account could clear it: an installer
// who marked a file read-only expects it to stay as it is.
std::optional<WriteFault> CheckTarget(Target& target) {
    const DWORD attributes = GetFileAttributesW(target.path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND) return std::nullopt;
        return FaultOf(code);
    }
    target.exists = true;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return WriteFault{Fault::Folder};
    if (attributes & FILE_ATTRIBUTE_READONLY) return WriteFault{Fault::Access};
    HANDLE probe = CreateFileW(target.path.c_str(), GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) return FaultOf(GetLastError());
    const bool onDisk = GetFileType(probe) == FILE_TYPE_DISK;  // not NUL, CON or a pipe
    CloseHandle(probe);
    if (!onDisk) return WriteFault{Fault::NotAFile};
    return std::nullopt;
}

// Windows keeps no mode bits: a new file takes the folder's security.
using FileMode = int;
constexpr FileMode kPublicMode = 0, kPrivateMode = 0;

std::optional<WriteFault> WriteTemporary(const fs::path& temp, const Target&,
                                         std::string_view bytes, FileMode) {
    HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return FaultOf(GetLastError());
    std::optional<WriteFault> failure;
    for (size_t done = 0; done < bytes.size() && !failure;) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            failure = FaultOf(GetLastError());
        done += written;
    }
    if (!failure && !FlushFileBuffers(file)) failure = FaultOf(GetLastError());
    if (!CloseHandle(file) && !failure) failure = FaultOf(GetLastError());
    if (failure) DeleteFileW(temp.c_str());
    return failure;
}

// ReplaceFileW carries the target's security and attributes over to the new file; a file system
// that cannot do that (some network shares) still gets the plain replacing move.
std::optional<WriteFault> MoveIntoPlace(const fs::path& temp, const Target& target) {
    if (target.exists && ReplaceFileW(target.path.c_str(), temp.c_str(), nullptr,
                                      REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        return std::nullopt;
    }
    if (MoveFileExW(temp.c_str(), target.path.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return std::nullopt;
    }
    const WriteFault failure = FaultOf(GetLastError());
    DeleteFileW(temp.c_str());
    return failure;
}

// Without MOVEFILE_REPLACE_EXISTING the move fails where the name is taken.
std::optional<WriteFault> MoveIntoFreeName(const fs::path& temp, const fs::path& target) {
    if (MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) return std::nullopt;
    const WriteFault failure = FaultOf(GetLastError());
    DeleteFileW(temp.c_str());
    return failure;
}

bool AlreadyThere(const WriteFault& failure) {
    return failure.code == ERROR_FILE_EXISTS || failure.code == ERROR_ALREADY_EXISTS;
}

#else  // POSIX

WriteFault FaultOf(int code) {
    switch (code) {
        case EACCES:
        case EPERM:
        case EROFS:
            return {Fault::Access, code};
        case ENOENT:
        case ENOTDIR:
            return {Fault::NoFolder, code};
        case ENOSPC:
        case EDQUOT:
            return {Fault::NoSpace, code};
        case EISDIR:
            return {Fault::Folder, code};
        case ETXTBSY:
            return {Fault::Busy, code};
        default:
            return {Fault::Other, code};
    }
}

// A file without any write permission is refused also for root, whom the system would let
// write it: an installer who made a file read-only expects it to stay as it is.
std::optional<WriteFault> CheckTarget(Target& target) {
    if (::stat(target.path.c_str(), &target.status) != 0) {
        if (errno == ENOENT) return std::nullopt;
        return FaultOf(errno);
    }
    target.exists = true;
    if (S_ISDIR(target.status.st_mode)) return WriteFault{Fault::Folder};
    if (!S_ISREG(target.status.st_mode)) return WriteFault{Fault::NotAFile};
    if ((target.status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return WriteFault{Fault::Access};
    if (::access(target.path.c_str(), W_OK) != 0) return FaultOf(errno);
    return std::nullopt;
}

// The new file gets the target's owner (where the system allows) and permissions, so a file
// kept private (it holds the passwords) stays private.
void TakeOverPermissions(int fd, const Target& target) {
    if (!target.exists) return;
    [[maybe_unused]] const int owned = ::fchown(fd, target.status.st_uid, target.status.st_gid);
    [[maybe_unused]] const int moded = ::fchmod(fd, target.status.st_mode & 07777);
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = EIO;  // nothing taken and no reason given: never a short file
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

using FileMode = mode_t;
constexpr FileMode kPublicMode = 0666;  // less the user's umask, as any program's new files
constexpr FileMode kPrivateMode = 0600;

std::optional<WriteFault> WriteTemporary(const fs::path& temp, const Target& target,
                                         std::string_view bytes, FileMode mode) {
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) return FaultOf(errno);
    TakeOverPermissions(fd, target);
    std::optional<WriteFault> failure;
    if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) failure = FaultOf(errno);
    if (::close(fd) != 0 && !failure) failure = FaultOf(errno);
    if (failure) ::unlink(temp.c_str());
    return failure;
}

// The rename is made durable too: without the folder's flush a power cut could bring back the
// old file after the user was told the new one is saved.
void FlushFolder(const fs::path& file) {
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    [[maybe_unused]] const int flushed = ::fsync(fd);
    ::close(fd);
}

std::optional<WriteFault> MoveIntoPlace(const fs::path& temp, const Target& target) {
    if (::rename(temp.c_str(), target.path.c_str()) != 0) {
        const WriteFault failure = FaultOf(errno);
        ::unlink(temp.c_str());
        return failure;
    }
    FlushFolder(target.path);
    return std::nullopt;
}

// rename() without replacing where the file system knows how, else a hard link (which never
// replaces either) and the temporary name dropped.
std::optional<WriteFault> MoveIntoFreeName(const fs::path& temp, const fs::path& target) {
    std::optional<WriteFault> failure;
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
        FlushFolder(target);
        return std::nullopt;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) failure = FaultOf(errno);
#endif
    if (!failure && ::link(temp.c_str(), target.c_str()) != 0) failure = FaultOf(errno);
    ::unlink(temp.c_str());
    if (!failure) FlushFolder(target);
    return failure;
}

bool AlreadyThere(const WriteFault& failure) {
    return failure.code == EEXIST;
}

#endif

// A fresh temporary beside the target holding the bytes; a name some other write took meanwhile
// is given up for the next.
std::optional<WriteFault> WriteBeside(const Target& target, std::string_view bytes, FileMode mode,
                                      fs::path& temp) {
    RemoveLeftovers(target.path);
    std::optional<WriteFault> failure;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = TemporaryName(target.path);
        failure = WriteTemporary(temp, target, bytes, mode);
        if (!failure || !AlreadyThere(*failure)) break;
    }
    return failure;
}

}  // namespace

std::string CannotWriteText(std::string_view what, const std::string& path,
                            std::string_view reason) {
    std::string text = "Не удалось записать " + std::string(what) + " " + path;
    if (!reason.empty()) text += ": " + std::string(reason);
    return text + ".";
}

Result<void> ReplaceFileWhole(const std::string& path, std::string_view bytes,
                              std::string_view what) {
    Target target;
    target.path = FinalTarget(Utf8Path(path));
    if (auto fault = CheckTarget(target)) return Message(what, path, *fault);
    fs::path temp;
    std::optional<WriteFault> fault = WriteBeside(target, bytes, kPublicMode, temp);
    if (!fault) fault = MoveIntoPlace(temp, target);
    if (fault) return Message(what, path, *fault);
    return {};
}

Result<NewFile> CreateFileWhole(const std::string& path, std::string_view bytes) {
    Target target;
    target.path = Utf8Path(path);
    std::error_code ec;
    if (fs::exists(fs::symlink_status(target.path, ec))) return NewFile::NameTaken;
    fs::path temp;
    std::optional<WriteFault> fault = WriteBeside(target, bytes, kPrivateMode, temp);
    if (!fault) fault = MoveIntoFreeName(temp, target.path);
    if (fault && AlreadyThere(*fault)) return NewFile::NameTaken;
    if (fault) return Message("файл", path, *fault);
    return NewFile::Written;
}

}  // namespace kerma
