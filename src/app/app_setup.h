#pragma once
// What the program sets up before its first window: its name and Qt's own texts (message box
// buttons, file dialogs, the context menus of fields) in Russian.
class QApplication;

namespace kerma {

void SetUpApplication(QApplication& app);

// Loads Qt's Russian catalogue from the program's resources. Configure stops without the
// catalogue, so only a broken build lacks it; such a build runs with Qt's English.
void InstallQtRussianTexts(QApplication& app);

}  // namespace kerma
