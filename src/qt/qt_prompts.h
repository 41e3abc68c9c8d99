#pragma once
// Prompts shown as Qt's message boxes and file dialogs.
#include <QPointer>
#include <QWidget>

#include "prompts.h"

namespace kerma {

// The caption of a notice.
inline constexpr const char* kNoticeCaption = "Kerma-740";

class QtPrompts : public Prompts {
  public:
    explicit QtPrompts(QWidget* parent) : parent_(parent) {}
    void notice(const std::string& text) override;
    bool question(const std::string& text, const std::string& caption) override;
    Answer questionWithCancel(const std::string& text, const std::string& caption) override;
    std::optional<std::string> openFile(const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const FileDialogRequest& request) override;

  private:
    QPointer<QWidget> parent_;
};

// A folder every file dialog of the program offers in its side panel under this label
// ("Резервные копии"); a second call with the same label moves it.
void SetFileDialogPlace(const QString& label, const QString& folder);

// "Файлы конфигурации (*.cfg)|*.cfg|Все файлы|*.*" as Qt writes a filter.
[[nodiscard]] QString QtFilter(const std::string& filter);

}  // namespace kerma
