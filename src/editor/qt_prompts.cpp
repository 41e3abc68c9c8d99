#include "qt_prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

namespace kerma {

namespace {
QString Q(const std::string& text) {
    return QString::fromStdString(text);
}
}  // namespace

QString QtFilter(const std::string& filter) {
    const QStringList parts = Q(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        if (!name.contains('(')) name += " (" + parts[i + 1] + ")";
        out << name;
    }
    return out.join(";;");
}

void QtPrompts::notice(const std::string& text) {
    QMessageBox::information(parent_, QApplication::applicationDisplayName(), Q(text),
                             QMessageBox::Ok);
}

bool QtPrompts::question(const std::string& text, const std::string& caption) {
    return QMessageBox::question(parent_, Q(caption), Q(text), QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

// The buttons carry their Russian words themselves, whatever translation Qt has loaded.
Answer QtPrompts::questionWithCancel(const std::string& text, const std::string& caption) {
    QMessageBox box(QMessageBox::Question, Q(caption), Q(text), QMessageBox::NoButton, parent_);
    QPushButton* yes = box.addButton("Да", QMessageBox::YesRole);
    QPushButton* no = box.addButton("Нет", QMessageBox::NoRole);
    QPushButton* cancel = box.addButton("Отмена", QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes) return Answer::Yes;
    if (box.clickedButton() == no) return Answer::No;
    return Answer::Cancel;
}

std::optional<std::string> QtPrompts::openFile(const FileDialogSpec& request) {
    QString path =
        QFileDialog::getOpenFileName(parent_, QString(), QString(), QtFilter(request.filter));
    if (path.isEmpty()) return std::nullopt;
    return path.toStdString();
}

std::optional<std::string> QtPrompts::saveFile(const FileDialogSpec& request) {
    QFileDialog dialog(parent_);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QtFilter(request.filter));
    dialog.setDefaultSuffix(Q(request.defaultExtension));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}

}  // namespace kerma
