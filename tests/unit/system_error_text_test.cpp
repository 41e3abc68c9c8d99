#include "system_error_text.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "config_file.h"

namespace kerma {
namespace {

TEST(SystemErrorTextTest, CommonFailuresAreToldInRussian) {
    EXPECT_EQ(SystemErrorText(std::make_error_code(std::errc::is_a_directory)),
              "это папка, а не файл");
    EXPECT_EQ(SystemErrorText(std::make_error_code(std::errc::no_space_on_device)),
              "нет места на диске");
    // errno values as the system category carries them on Linux.
    EXPECT_EQ(SystemErrorText(std::error_code(EACCES, std::system_category())), "нет прав доступа");
    EXPECT_EQ(SystemErrorText(std::error_code(EROFS, std::generic_category())),
              "диск доступен только для чтения");
    // Whatever has no text of ours still says nothing in the system's language.
    EXPECT_EQ(SystemErrorText(std::error_code(12345, std::generic_category())),
              "системная ошибка 12345");
}

TEST(SystemErrorTextTest, SavingOverAFolderSaysSoInRussian) {
    const auto dir = std::filesystem::temp_directory_path() / "kerma_save_over_folder";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "объект.cfg");
    ConfigImage image;
    image.settings.assign(FileSettingsCells(1), 0);
    image.codes.assign(FileCodesCells(1), 0);
    image.settings[1] = 18;
    const std::string target = (dir / "объект.cfg").string();
    EXPECT_EQ(WriteConfigFile(target, image),
              "Не удалось записать файл " + target + ": это папка.");
    EXPECT_TRUE(std::filesystem::is_directory(target));
    EXPECT_FALSE(std::filesystem::exists(target + ".tmp"));
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kerma
