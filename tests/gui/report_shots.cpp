// Pictures of the configuration report of each variant's factory configuration, for a look by eye
// and for the README (report_shots OUT_DIR). Not run by ctest.
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

#include "backups.h"
#include "config_report.h"
#include "editor_files.h"
#include "factory_defaults.h"
#include "headless_editor.h"
#include "report_render.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: report_shots OUT_DIR\n");
        return 2;
    }
    const QGuiApplication app(argc, argv);  // the report's text layout takes its fonts from it
    for (int variant = 1; variant <= 5; ++variant) {
        kerma::HeadlessEditor headless(kerma::FactoryVersionByte(variant));
        (void)kerma::LoadFactoryDefaults(*headless.editor, headless.image, variant);
        kerma::ReportOptions options;
        options.source = "заводские установки";
        options.date = kerma::FormatLocalTime(kerma::LocalTimeNow());
        const std::string html = kerma::BuildConfigReport(*headless.editor, variant, options);
        // Few colours: a small file that still reads well.
        const QImage picture = kerma::RenderReportPicture(html, 720).convertToFormat(
            QImage::Format_Indexed8, Qt::ThresholdDither);
        const QString path = QString("%1/report_v%2.png").arg(argv[1]).arg(variant);
        if (!picture.save(path)) {
            std::fprintf(stderr, "cannot write %s\n", path.toStdString().c_str());
            return 1;
        }
        std::printf("%s %dx%d\n", path.toStdString().c_str(), picture.width(), picture.height());
    }
    return 0;
}
