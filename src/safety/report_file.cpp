#include "report_file.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "utf8_path.h"

namespace kerma {
namespace {

bool EndsWithPdf(const std::string& path) {
    if (path.size() < 4) return false;
    std::string end = path.substr(path.size() - 4);
    std::transform(end.begin(), end.end(), end.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return end == ".pdf";
}

std::string CannotWrite(const std::string& path) {
    return "Не удалось записать отчёт в файл " + path + ".";
}

}  // namespace

std::string WriteReport(const std::string& path, const std::string& html) {
    if (EndsWithPdf(path)) return WritePdfReport(path, html);
    std::error_code ec;
    const std::filesystem::path temp = Utf8Path(path + ".tmp");
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(html.data(), static_cast<std::streamsize>(html.size()));
        out.flush();
        if (!out) {
            out.close();
            std::filesystem::remove(temp, ec);
            return CannotWrite(path);
        }
    }
    std::filesystem::rename(temp, Utf8Path(path), ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        return CannotWrite(path);
    }
    return {};
}

}  // namespace kerma
