#include "system_error_text.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "config_file.h"
#include "test_folder.h"
#include "utf8_path.h"

namespace kerma {
namespace {

TEST(SystemErrorTextTest, CommonFailuresAreToldInRussian) {
    EXPECT_EQ(SystemErrorText(std::make_error_code(std::errc::is_a_directory)),
              "это папка, а не файл");
    EXPECT_EQ(SystemErrorText(std::make_error_code(std::errc::no_space_on_device)),
              "нет места на диске");
#ifdef _WIN32
    // Windows' own codes, as GetLastError gives them.
    EXPECT_EQ(SystemErrorText(std::error_code(5, std::system_category())), "нет прав доступа");
    EXPECT_EQ(SystemErrorText(std::error_code(32, std::system_category())),
              "файл занят другой программой");
#else
    // errno values as the system category carries them on Linux.
    EXPECT_EQ(SystemErrorText(std::error_code(EACCES, std::system_category())), "нет прав доступа");
#endif
    EXPECT_EQ(SystemErrorText(std::error_code(EROFS, std::generic_category())),
              "диск доступен только для чтения");
    // Whatever has no text of ours still says nothing in the system's language.
    EXPECT_EQ(SystemErrorText(std::error_code(12345, std::generic_category())),
              "системная ошибка 12345");
}

TEST(SystemErrorTextTest, SavingOverAFolderSaysSoInRussian) {
    const test::TempDir dir("kerma_save_over_folder");
    const std::string target = Utf8Text(dir.path()) + "/объект.cfg";
    std::filesystem::create_directories(Utf8Path(target));
    ConfigBlocks image;
    image.settings.assign(FileSettingsCells(1), 0);
    image.codes.assign(FileCodesCells(1), 0);
    image.settings[1] = 18;
    const auto written = WriteConfigFile(target, image);
    ASSERT_FALSE(written.ok());
    EXPECT_EQ(written.error(), "Не удалось записать файл " + target + ": это папка.");
    EXPECT_EQ(written.failure().reason, "это папка");
    EXPECT_TRUE(std::filesystem::is_directory(Utf8Path(target)));
    EXPECT_FALSE(std::filesystem::exists(Utf8Path(target + ".tmp")));
}

}  // namespace
}  // namespace kerma
