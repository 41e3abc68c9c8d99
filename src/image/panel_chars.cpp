#include "panel_chars.h"

namespace kerma {

namespace {

// Unicode of Windows-1251 0x80..0xBF; 0x98 is not assigned.
constexpr char16_t kCp1251Upper[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 0x88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 0x98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // 0xA0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // 0xA8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // 0xB8
};

// Display codes of А..Я and а..я (Windows-1251 0xC0..0xFF).
constexpr uint8_t kLetterCodes[64] = {
    0x41, 0xA0, 0x42, 0xA1, 0xE0, 0x45, 0xA3, 0xA4,  // А Б В Г Д Е Ж З
    0xA5, 0xA6, 0x4B, 0xA7, 0x4D, 0x48, 0x4F, 0xA8,  // И Й К Л М Н О П
    0x50, 0x43, 0x54, 0xA9, 0xAA, 0x58, 0xE1, 0xAB,  // Р С Т У Ф Х Ц Ч
    0xAC, 0xE2, 0xAD, 0xAE, 0x08, 0xAF, 0xB0, 0xB1,  // Ш Щ Ъ Ы Ь Э Ю Я
    0x61, 0xB2, 0xB3, 0xB4, 0xE3, 0x65, 0xB6, 0xB7,  // а б в г д е ж з
    0xB8, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0x6F, 0xBE,  // и й к л м н о п
    0x70, 0x63, 0xBF, 0x79, 0xE4, 0x78, 0xE5, 0xC0,  // р с т у ф х ц ч
    0xC1, 0xE6, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7,  // ш щ ъ ы ь э ю я
};

constexpr uint8_t kCp1251YoCapital = 0xA8, kCp1251YoSmall = 0xB8, kCp1251Numero = 0xB9;
constexpr uint8_t kPanelYoCapital = 0xA2, kPanelYoSmall = 0xB5, kPanelNumero = 0x17;
constexpr uint8_t kPanelSoftSign = 0x08;  // Ь: the one Cyrillic letter below 0x80
constexpr uint8_t kUnlistedShift = 0xA8;
constexpr char kUnknown = '?';

bool ListedInTable(uint8_t cp1251) {
    return cp1251 >= 0xC0 || cp1251 == kCp1251YoCapital || cp1251 == kCp1251YoSmall ||
           cp1251 == kCp1251Numero;
}

// The Windows-1251 character whose display code is code, for codes of 0x80 and above that the
// table lists; 0 otherwise.
uint8_t ListedCharOfCode(uint8_t code) {
    if (code == kPanelYoCapital) return kCp1251YoCapital;
    if (code == kPanelYoSmall) return kCp1251YoSmall;
    for (int i = 0; i < 64; ++i) {
        if (kLetterCodes[i] == code && code >= 0x80) return static_cast<uint8_t>(0xC0 + i);
    }
    return 0;
}

// The unlisted character that is stored as code by the (code - 0xA8) rule; 0 when none is.
uint8_t UnlistedCharOfCode(uint8_t code) {
    auto c = static_cast<uint8_t>(code + kUnlistedShift);
    if (c < 0x80 || ListedInTable(c) || UnicodeOfCp1251(c) == 0) return 0;
    return c;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// Next code point of a UTF-8 text; a malformed sequence yields one U+FFFD per byte.
char32_t NextCodePoint(std::string_view text, size_t& i) {
    auto lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80) return lead;
    int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (extra < 0 || lead > 0xF4 || i + extra > text.size()) return 0xFFFD;
    char32_t c = lead & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) return 0xFFFD;
        c = (c << 6) | (next & 0x3F);
    }
    i += extra;
    return c;
}

}  // namespace

char32_t UnicodeOfCp1251(uint8_t cp1251) {
    if (cp1251 < 0x80) return cp1251;
    if (cp1251 >= 0xC0) return 0x0410 + (cp1251 - 0xC0);
    return kCp1251Upper[cp1251 - 0x80];
}

int Cp1251OfUnicode(char32_t c) {
    if (c < 0x80) return static_cast<int>(c);
    if (c >= 0x0410 && c <= 0x044F) return static_cast<int>(0xC0 + (c - 0x0410));
    for (int i = 0; i < 64; ++i) {
        if (kCp1251Upper[i] != 0 && kCp1251Upper[i] == c) return 0x80 + i;
    }
    return -1;
}

uint8_t PanelCodeOfCp1251(uint8_t cp1251) {
    if (cp1251 < 0x80) return cp1251;
    if (cp1251 >= 0xC0) return kLetterCodes[cp1251 - 0xC0];
    if (cp1251 == kCp1251YoCapital) return kPanelYoCapital;
    if (cp1251 == kCp1251YoSmall) return kPanelYoSmall;
    if (cp1251 == kCp1251Numero) return kPanelNumero;
    return static_cast<uint8_t>(cp1251 - kUnlistedShift);
}

std::string TextOfPanelCode(uint8_t code) {
    std::string text;
    if (code == kPanelNumero) {
        AppendUtf8(text, UnicodeOfCp1251(kCp1251Numero));
    } else if (code == kPanelSoftSign) {
        AppendUtf8(text, UnicodeOfCp1251(0xDC));
    } else if (code < 0x80) {
        text.push_back(static_cast<char>(code));
    } else if (uint8_t listed = ListedCharOfCode(code); listed != 0) {
        AppendUtf8(text, UnicodeOfCp1251(listed));
    } else if (uint8_t unlisted = UnlistedCharOfCode(code); unlisted != 0) {
        AppendUtf8(text, UnicodeOfCp1251(unlisted));
    } else {
        text.push_back(kUnknown);
    }
    return text;
}

std::array<uint8_t, 8> EncodePanelName(std::string_view utf8) {
    std::array<uint8_t, 8> codes;
    codes.fill(0x20);
    size_t i = 0;
    for (size_t n = 0; n < codes.size() && i < utf8.size(); ++n) {
        int cp1251 = Cp1251OfUnicode(NextCodePoint(utf8, i));
        codes[n] = cp1251 < 0 ? static_cast<uint8_t>(kUnknown)
                              : PanelCodeOfCp1251(static_cast<uint8_t>(cp1251));
    }
    return codes;
}

std::string DecodePanelName(const std::array<uint8_t, 8>& codes) {
    std::string text;
    for (uint8_t code : codes) text += TextOfPanelCode(code);
    return text;
}

}  // namespace kerma
