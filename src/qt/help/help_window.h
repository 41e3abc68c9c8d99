#pragma once
// The program's help: Russian pages compiled into the resources, shown in one non-modal window.
class QWidget;

namespace kerma {

// Opens the help window at the start page (help context 1). F1 and the help buttons once opened
// two help files; both lead to this one help now. An open help window is reused, raised and
// brought back to the start page; it moves under `parent`'s window so that a modal editor does
// not block it.
void ShowHelp(QWidget* parent);

}  // namespace kerma
