#pragma once
// The report drawn by Qt's text layout: the PDF writer's input and pictures of a report.
#include <QImage>
#include <string>

namespace kerma {

// The HTML laid out at width pixels and drawn on white, as tall as it needs. Like the PDF, only
// where a QGuiApplication exists.
[[nodiscard]] QImage RenderReportImage(const std::string& html, int width);

}  // namespace kerma
