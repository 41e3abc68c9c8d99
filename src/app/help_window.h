#pragma once
// The program's help: Russian pages compiled into the resources, shown in one non-modal window.
#include <QString>

class QWidget;

namespace kerma {

// Opens the help window at the start page (help context 1). `helpFile` is the help file name the
// caller was asked to open: "Help.hlp" for F1, "Setka-740-v4_6-help.hlp" for the help buttons.
// Both name the same help now. An open help window is reused, raised and brought back to the start
// page; it moves under `parent`'s window so that a modal editor does not block it.
void ShowHelp(QWidget* parent, const QString& helpFile);

}  // namespace kerma
