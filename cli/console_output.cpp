#include "console_output.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <iostream>
#include <streambuf>
#include <string>

namespace kerma::cli {

namespace {

// Holds text until a line ends or the stream is flushed, so a letter never goes out in halves.
class ConsoleBuffer : public std::streambuf {
  public:
    explicit ConsoleBuffer(HANDLE console) : console_(console) {}

  protected:
    int_type overflow(int_type ch) override {
        if (traits_type::eq_int_type(ch, traits_type::eof())) return traits_type::not_eof(ch);
        pending_.push_back(traits_type::to_char_type(ch));
        if (ch == '\n') writeOut();
        return ch;
    }

    std::streamsize xsputn(const char* text, std::streamsize count) override {
        pending_.append(text, static_cast<size_t>(count));
        if (pending_.find('\n') != std::string::npos) writeOut();
        return count;
    }

    int sync() override {
        writeOut();
        return 0;
    }

  private:
    // Everything but a letter whose last bytes have not come yet.
    size_t completeLength() const {
        size_t end = pending_.size();
        size_t start = end;
        while (start > 0 && end - start < 4 &&
               (static_cast<unsigned char>(pending_[start - 1]) & 0xC0) == 0x80) {
            --start;
        }
        if (start == 0) return end;
        const auto lead = static_cast<unsigned char>(pending_[start - 1]);
        if (lead < 0xC0) return end;
        const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        return end - (start - 1) >= length ? end : start - 1;
    }

    void writeOut() {
        const size_t length = completeLength();
        if (length == 0) return;
        const int size = static_cast<int>(length);
        const int wideSize = MultiByteToWideChar(CP_UTF8, 0, pending_.data(), size, nullptr, 0);
        std::wstring wide(static_cast<size_t>(wideSize), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, pending_.data(), size, wide.data(), wideSize);
        DWORD written = 0;
        WriteConsoleW(console_, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        pending_.erase(0, length);
    }

    HANDLE console_;
    std::string pending_;
};

void Redirect(std::ostream& stream, DWORD which) {
    HANDLE handle = GetStdHandle(which);
    DWORD mode = 0;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode))
        return;  // a pipe or a file: the UTF-8 bytes as they are
    stream.flush();
    // Never freed: the streams are flushed once more after every static object is gone.
    stream.rdbuf(new ConsoleBuffer(handle));
}

}  // namespace

void UseConsoleOutput() {
    Redirect(std::cout, STD_OUTPUT_HANDLE);
    Redirect(std::cerr, STD_ERROR_HANDLE);
}

}  // namespace kerma::cli

#else

namespace kerma::cli {

void UseConsoleOutput() {}

}  // namespace kerma::cli

#endif
