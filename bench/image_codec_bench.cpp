// Decoding and encoding a whole variant 5 configuration (1024 settings cells, 1792 codes cells)
// with the field rules attached, as the program does after a read and before a write. The
// configuration is full: 32 codes, two loops per object on every one of the 768 loops.
// Prints the time per round (target: decode + encode within 1 ms). Usage: bench_image_codec [N].
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "codes_image.h"
#include "editor_files.h"
#include "editor_rules.h"
#include "k740_controls.h"
#include "scripted_prompts.h"
#include "settings_image.h"

namespace {

using namespace kerma;
using Steady = std::chrono::steady_clock;

double Ms(Steady::time_point from, Steady::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

void Fill(FormModel& m) {
    m.setPosition("KOD", 32);
    for (int n = 1; n <= 32; ++n) {
        // Codes of 4 to 6 digits 1..9 (a zero is refused), all different.
        const std::string code{'9', '8', char('1' + (n - 1) / 9), char('1' + (n - 1) % 9)};
        m.setText("kod" + std::to_string(n), code + std::string("76").substr(0, n % 3));
    }
    for (int q = 0; q < kObjectLoops; ++q) {
        m.setText(ObjectName(q / 192 + 1, q % 192 / 8 + 1, q % 8 + 1), std::to_string(q / 2 + 1));
    }
    m.enter("Object11");  // leaving an object field takes all of them into the assignments
    m.exit("Object11");
}

struct Summary {
    std::vector<double> ms;
    void print(const char* what) {
        std::sort(ms.begin(), ms.end());
        double sum = 0;
        for (double t : ms) sum += t;
        std::printf("  %-16s median %.3f ms, mean %.3f, min %.3f, max %.3f\n", what,
                    ms[ms.size() / 2], sum / static_cast<double>(ms.size()), ms.front(), ms.back());
    }
};

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    ScriptedPrompts prompts;
    K740Editor editor(prompts, EditorOptions{true, true});
    CodecMemory image;
    auto rules = InstallRules(editor, image);
    (void)StartDemo(editor, image, 5);
    Fill(editor.model());
    const Block codes = EncodeCodesImage(editor, image);
    const auto settings = EncodeSettingsImage(editor, image);
    if (!settings) {
        std::fprintf(stderr, "the configuration does not encode: %s\n", settings.error().c_str());
        return 1;
    }
    Summary decode, encode, both;
    for (int i = 0; i < rounds; ++i) {
        const auto t0 = Steady::now();
        editor.state().codesImage = codes;
        DecodeSettingsImage(editor, image, *settings);
        const auto t1 = Steady::now();
        const Block codesOut = EncodeCodesImage(editor, image);
        const auto settingsOut = EncodeSettingsImage(editor, image);
        const auto t2 = Steady::now();
        if (codesOut != codes || !settingsOut || *settingsOut != *settings) {
            std::fprintf(stderr, "round %d changed the image\n", i);
            return 1;
        }
        decode.ms.push_back(Ms(t0, t1));
        encode.ms.push_back(Ms(t1, t2));
        both.ms.push_back(Ms(t0, t2));
    }
    std::printf("variant 5, full configuration, %d rounds (target: decode + encode <= 1 ms):\n",
                rounds);
    decode.print("decode");
    encode.print("encode");
    both.print("decode + encode");
    for (const std::string& text : prompts.shown) std::printf("  message: %s\n", text.c_str());
    return 0;
}
