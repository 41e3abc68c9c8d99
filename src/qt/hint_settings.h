#pragma once
// The program's hints: lime green, shown 200 ms after the mouse stops, up for 30 s. Every window
// that shows hints installs this; it stays in force for the whole application.
#include <QString>
#include <functional>

namespace kerma {

inline constexpr int kHintPauseMs = 200;
inline constexpr int kHintHidePauseMs = 30000;

void InstallHintSettings();

// The windows copy the hint on display into a hidden label; a mirror gets every hint shown.
int AddHintMirror(std::function<void(const QString&)> mirror);
void RemoveHintMirror(int id);

}  // namespace kerma
