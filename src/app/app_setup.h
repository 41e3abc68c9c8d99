#pragma once
// What the program sets up before its first window: its name and Qt's own texts (message box
// buttons, file dialogs, the context menus of fields) in Russian.
class QApplication;

namespace kerma {

void SetUpApplication(QApplication& app);

// Loads Qt's Russian catalogue from the program's resources; false when it is not there.
bool InstallQtRussianTexts(QApplication& app);

}  // namespace kerma
