#include "report_file.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

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
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(html.data(), static_cast<std::streamsize>(html.size()));
        out.flush();
        if (!out) {
            out.close();
            std::remove(temp.c_str());
            return CannotWrite(path);
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::remove(temp.c_str());
        return CannotWrite(path);
    }
    return {};
}

}  // namespace kerma
