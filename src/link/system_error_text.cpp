#include "system_error_text.h"

#include <array>
#include <utility>

namespace kerma {
namespace {

#ifdef _WIN32
// Windows reports some failures by its own codes (GetLastError) rather than errno values.
std::string WindowsErrorText(int code) {
    switch (code) {
        case 2:  // ERROR_FILE_NOT_FOUND
        case 3:  // ERROR_PATH_NOT_FOUND
            return "файл или папка не найдены";
        case 5:  // ERROR_ACCESS_DENIED
            return "нет прав доступа";
        case 19:  // ERROR_WRITE_PROTECT
            return "диск защищен от записи";
        case 32:  // ERROR_SHARING_VIOLATION
        case 33:  // ERROR_LOCK_VIOLATION
            return "файл занят другой программой";
        case 39:   // ERROR_HANDLE_DISK_FULL
        case 112:  // ERROR_DISK_FULL
            return "нет места на диске";
        case 80:   // ERROR_FILE_EXISTS
        case 183:  // ERROR_ALREADY_EXISTS
            return "файл уже существует";
        case 123:  // ERROR_INVALID_NAME
            return "недопустимое имя файла";
        case 206:  // ERROR_FILENAME_EXCED_RANGE
            return "слишком длинное имя файла";
        case 267:  // ERROR_DIRECTORY
            return "это папка, а не файл";
        default:
            return {};
    }
}
#endif

}  // namespace

std::string SystemErrorText(const std::error_code& error) {
    static const std::array<std::pair<std::errc, const char*>, 14> kTexts{{
        {std::errc::no_such_file_or_directory, "файл или папка не найдены"},
        {std::errc::permission_denied, "нет прав доступа"},
        {std::errc::operation_not_permitted, "нет прав доступа"},
        {std::errc::is_a_directory, "это папка, а не файл"},
        {std::errc::not_a_directory, "часть пути не является папкой"},
        {std::errc::no_space_on_device, "нет места на диске"},
        {std::errc::read_only_file_system, "диск доступен только для чтения"},
        {std::errc::file_exists, "файл уже существует"},
        {std::errc::device_or_resource_busy, "файл или устройство занято другой программой"},
        {std::errc::filename_too_long, "слишком длинное имя файла"},
        {std::errc::too_many_files_open, "открыто слишком много файлов"},
        {std::errc::io_error, "ошибка ввода-вывода"},
        {std::errc::invalid_argument, "недопустимое имя или параметр"},
        {std::errc::no_such_device, "устройство не найдено"},
    }};
#ifdef _WIN32
    if (error.category() == std::system_category()) {
        if (std::string text = WindowsErrorText(error.value()); !text.empty()) return text;
    }
#endif
    for (const auto& [condition, text] : kTexts) {
        if (error == condition) return text;
    }
    return "системная ошибка " + std::to_string(error.value());
}

}  // namespace kerma
