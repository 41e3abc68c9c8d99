#include <QApplication>
#include <QMessageBox>
#include <iostream>

#include "app_setup.h"
#include "main_form.h"
#include "qt_prompts.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    kerma::SetUpApplication(app);
    auto runner = kerma::LinkRunner::Create();
    if (!runner) {
        // Without its link the program can do nothing for the installer, so no window opens.
        std::cerr << runner.error() << "\n";
        QMessageBox::critical(nullptr, kerma::kNoticeCaption,
                              QString::fromStdString(runner.error()));
        return 1;
    }
    kerma::TMainForm form(std::move(*runner));
    form.show();
    return QApplication::exec();
}
