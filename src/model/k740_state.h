#pragma once
// Editor-wide state that is not a control: what identification learnt about the panel, the counts
// the code and key rules keep, and the held codes block. Zero when the editor is created.
#include <cstdint>
#include <string>
#include <vector>

#include "panel_variant.h"

namespace kerma {

struct K740State {
    // Firmware version byte of the last settings block seen (identification, read, file, defaults).
    int versionByte = 0;
    // "1.7", "1.25": shown in the status texts and the version label.
    std::string versionText;
    // "ППКОП Kerma-740 версия v " + versionText.
    std::string deviceCaption;

    // Variant and minor number the layout was last applied with (0 until then).
    int layoutVariant = 0;
    int layoutMinor = 0;

    // Codes and keys in use; changed only by the count rules.
    int codeCount = 0;
    int keyCount = 0;

    // The codes block as last read, loaded or built; one cell per block byte.
    Block codesImage;

    // The panel has just been given new firmware; cleared by identification.
    bool firmwareReplaced = false;
    // The write chain after a firmware replacement runs; the image encoders consult it.
    bool defaultsAfterReplace = false;
    // The editor was opened without a panel.
    bool demoMode = false;
};

// The variant the editor shows: once a panel is identified, the one its firmware implements;
// in a demo, and before identification, the one the layout was shaped for (0 until then). A
// connected editor that has no layout yet works for the variant chosen on the main window, as
// a demo of it would.
[[nodiscard]] inline int ShownVariant(const K740State& state, int chosenVariant = 0) {
    if (!state.demoMode && state.versionByte != 0) return VariantOfVersion(state.versionByte);
    if (state.layoutVariant != 0 || chosenVariant == 0) return state.layoutVariant;
    return DescribeVariant(chosenVariant).demoShows;
}

}  // namespace kerma
