#pragma once
// The report drawn by Qt's text layout: the PDF writer's input and pictures of a report.
#include <QImage>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextTable>
#include <functional>
#include <memory>
#include <string>

namespace kerma {

// Each table of a laid-out report with what introduces it: the first line of text since the
// last table or heading (an invalid block where nothing does).
void ForEachTable(const QTextDocument& document,
                  const std::function<void(const QTextBlock& lead, QTextTable& table)>& visit);

// The HTML laid out at width pixels and drawn on white, as tall as it needs. Like the PDF, only
// where a QGuiApplication exists.
[[nodiscard]] QImage RenderReportPicture(const std::string& html, int width);

// The report laid out on A4 pages of the writer as the PDF prints it: each table on the page of the
// heading and lines that introduce it, one shorter than half a page whole.
[[nodiscard]] std::unique_ptr<QTextDocument> LayOutReport(const std::string& html,
                                                          QPdfWriter& writer);

}  // namespace kerma
