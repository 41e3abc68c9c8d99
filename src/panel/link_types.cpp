#include "link_types.h"

namespace kerma {

VersionInfo DecodeVersion(int v) {
    VersionInfo info;
    if (v >= 11 && v <= 99) {
        info.major = v / 10;
        info.minor = v % 10;
    } else if (v >= 100 && v <= 255) {
        // 255 is no firmware we know; it decodes as 2.55 so that the major number stays the
        // variant VariantOfVersion names and the replacement question can show it.
        info.major = v / 100;
        info.minor = v % 100;
    } else {
        // 0..10: an erased or unprogrammed panel. Major 0 matches no variant, so the installer is
        // offered a firmware replacement; the text "0.N" shows what the panel reported.
        info.major = 0;
        info.minor = v < 0 ? 0 : v;
    }
    info.text = std::to_string(info.major) + "." + std::to_string(info.minor);
    return info;
}

}  // namespace kerma
