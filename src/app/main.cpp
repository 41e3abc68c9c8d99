#include <QApplication>

#include "main_form.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("kerma740-config");
    QApplication::setApplicationDisplayName("Kerma-740");
    kerma::TMainForm form;
    form.show();
    return QApplication::exec();
}
