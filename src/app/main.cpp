#include <QApplication>

#include "app_setup.h"
#include "main_form.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    kerma::SetUpApplication(app);
    kerma::TMainForm form;
    form.show();
    return QApplication::exec();
}
