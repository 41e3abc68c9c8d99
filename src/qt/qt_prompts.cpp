#include "qt_prompts.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QIdentityProxyModel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QSplitter>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "busy_cursor.h"
#include "window_place.h"

namespace kerma {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The file dialog writes sizes and dates in the language of the system; the program speaks
// Russian whatever the system's language. Sizes in whole kilobytes, as the Windows explorer.
class RussianFileColumns final : public QIdentityProxyModel {
  public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || files == nullptr)
            return QIdentityProxyModel::data(index, role);
        const QModelIndex file = mapToSource(index);
        const QLocale russian(QLocale::Russian, QLocale::Russia);
        if (index.column() == kSizeColumn && !files->isDir(file))
            return russian.toString((files->size(file) + 1023) / 1024) + QStringLiteral(" КБ");
        if (index.column() == kDateColumn)
            return russian.toString(files->lastModified(file), QLocale::ShortFormat);
        return QIdentityProxyModel::data(index, role);
    }

  private:
    static constexpr int kSizeColumn = 1;
    static constexpr int kDateColumn = 3;
};

struct Place {
    QString label;
    QUrl url;
};

// The folders set for every dialog (the backups), which hold no files of the installer's own.
std::vector<Place>& Places() {
    static std::vector<Place> places;
    return places;
}

bool IsPlace(const QString& folder) {
    const QUrl url = QUrl::fromLocalFile(QDir::cleanPath(folder));
    return std::any_of(Places().begin(), Places().end(),
                       [&](const Place& place) { return place.url == url; });
}

// A folder of the system's own list (Documents, Desktop); "" where there is none apart from home.
QString KnownFolder(QStandardPaths::StandardLocation location) {
    const QString folder = QStandardPaths::writableLocation(location);
    if (folder.isEmpty() || !QDir(folder).exists()) return {};
    if (QDir(folder) == QDir(QDir::homePath())) return {};
    return QDir::cleanPath(folder);
}

// Where installers keep their files: Documents (on Linux the XDG folder), else home.
QString DocumentsFolder() {
    const QString documents = KnownFolder(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

// The side panel top to bottom: Documents, Desktop, the computer, home, then ours. An empty label
// leaves the folder its own name.
std::vector<Place> SidePlaces() {
    std::vector<Place> places;
    const QString documents = KnownFolder(QStandardPaths::DocumentsLocation);
    const QString desktop = KnownFolder(QStandardPaths::DesktopLocation);
    if (!documents.isEmpty()) places.push_back({"Документы", QUrl::fromLocalFile(documents)});
    if (!desktop.isEmpty()) places.push_back({"Рабочий стол", QUrl::fromLocalFile(desktop)});
    places.push_back({{}, QUrl(QStringLiteral("file:"))});
    places.push_back({{}, QUrl::fromLocalFile(QDir::homePath())});
    for (const Place& place : Places()) places.push_back(place);
    return places;
}

// The side panel shows a folder by its own name ("backups", "Documents"); ours go by the label
// the installer reads in the help.
class PlaceLabels final : public QStyledItemDelegate {
  public:
    PlaceLabels(std::vector<Place> places, QObject* parent)
        : QStyledItemDelegate(parent), places_(std::move(places)) {}

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        // The side panel's model keeps each place's address and whether it is there one and two
        // roles past UserRole; a place that is gone shows disabled, as Qt's own delegate does.
        const QVariant enabled = index.data(Qt::UserRole + 2);
        if (enabled.isValid() && !enabled.toBool()) option->state &= ~QStyle::State_Enabled;
        const QUrl url = index.data(Qt::UserRole + 1).toUrl();
        for (const Place& place : places_) {
            if (place.url == url && !place.label.isEmpty()) option->text = place.label;
        }
    }

  private:
    std::vector<Place> places_;
};

// Qt keeps the side panel of the last dialog for the next one (and for every program using Qt's
// dialog): the list is laid down whole each time, so places of another run never pile up.
void AddPlaces(QFileDialog& dialog) {
    const std::vector<Place> places = SidePlaces();
    QList<QUrl> urls;
    for (const Place& place : places) urls << place.url;
    // A new installation has no backups yet; the place still leads somewhere.
    for (const Place& place : Places()) QDir().mkpath(place.url.toLocalFile());
    dialog.setSidebarUrls(urls);
    auto* side = dialog.findChild<QListView*>(QStringLiteral("sidebar"));
    if (side == nullptr) return;
    side->setItemDelegate(new PlaceLabels(places, side));
    // The panel as wide as its labels, once the dialog is up: it lays the panel out again from
    // its saved state when shown.
    QTimer::singleShot(0, &dialog, [&dialog, side] {
        auto* splitter = dialog.findChild<QSplitter*>(QStringLiteral("splitter"));
        const int panel = side->sizeHintForColumn(0) + 2 * side->frameWidth() + 4;
        if (splitter == nullptr || splitter->sizes().value(0) >= panel) return;
        const int total = splitter->sizes().value(0) + splitter->sizes().value(1);
        splitter->setSizes({panel, total - panel});
    });
}

// Where each kind of dialog was last left in this run; nothing is kept between runs.
struct RunFolders {
    std::map<FileDialogKind, QString> lastOfKind;
    // The folder of the configuration file last saved or loaded, or of the last report, whichever
    // came later; never the backups unless a report was put there.
    QString report;
};

RunFolders& Folders() {
    static RunFolders folders;
    return folders;
}

// A folder removed since it was used gives way to Documents.
QString StartFolder(FileDialogKind kind) {
    const RunFolders& folders = Folders();
    const auto last = folders.lastOfKind.find(kind);
    QString folder = kind == FileDialogKind::Report            ? folders.report
                     : last != folders.lastOfKind.end() ? last->second
                                                            : QString();
    return !folder.isEmpty() && QDir(folder).exists() ? folder : DocumentsFolder();
}

void Remember(FileDialogKind kind, const QString& file) {
    const QString folder = QFileInfo(file).absolutePath();
    RunFolders& folders = Folders();
    folders.lastOfKind[kind] = folder;
    const bool configuration = kind == FileDialogKind::SaveConfiguration ||
                               kind == FileDialogKind::LoadConfiguration;
    if (kind == FileDialogKind::Report || (configuration && !IsPlace(folder)))
        folders.report = folder;
}

// The dialog's list is narrow for the Russian type names and dates; a backup's name (date, time,
// version and reason) is shown whole.
void FitFileColumns(QFileDialog& dialog) {
    auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (list == nullptr) return;
    const QFontMetrics metrics = list->fontMetrics();
    const auto fit = [&](const char* widest) {
        return metrics.horizontalAdvance(QString::fromUtf8(widest)) + 20;
    };
    list->setColumnWidth(0, fit("0000-00-00_00-00-00_v0.00_before-firmware-9.cfg"));
    list->setColumnWidth(1, fit("10 000 КБ"));
    list->setColumnWidth(2, fit("простой текстовый документ"));
    list->setColumnWidth(3, fit("00.00.0000 00:00"));
}

// "Документ PDF (*.pdf)" → "pdf"; "" for a type of any extension.
QString ExtensionOf(const QString& nameFilter) {
    static const QRegularExpression pattern(QStringLiteral(R"(\(\*\.(\w+)\))"));
    return pattern.match(nameFilter).captured(1);
}

// The name with the extension of the type chosen: an extension of another of the dialog's types
// is replaced ("отчёт.html" with PDF chosen is "отчёт.pdf"), any other name gets it added.
QString WithTypeExtension(const QString& path, const QString& nameFilter,
                          const QStringList& nameFilters) {
    const QString extension = ExtensionOf(nameFilter);
    const QString suffix = QFileInfo(path).suffix();
    if (extension.isEmpty() || suffix.compare(extension, Qt::CaseInsensitive) == 0) return path;
    QString name = path;
    for (const QString& other : nameFilters) {
        const QString otherExtension = ExtensionOf(other);
        if (!otherExtension.isEmpty() && suffix.compare(otherExtension, Qt::CaseInsensitive) == 0) {
            name.chop(suffix.size() + 1);
            break;
        }
    }
    return name + "." + extension;
}

// A save dialog whose types are formats. The name is fixed before Qt's own accept, so its
// question about replacing a file names the file that will really be written.
class TypedSaveDialog final : public QFileDialog {
  public:
    explicit TypedSaveDialog(QWidget* parent) : QFileDialog(parent) {
        // The name offered follows the type chosen.
        connect(this, &QFileDialog::filterSelected, this, [this](const QString& filter) {
            auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (name != nullptr && !name->text().isEmpty())
                name->setText(WithTypeExtension(name->text(), filter, nameFilters()));
        });
    }

    void accept() override {
        const QStringList chosen = selectedFiles();
        auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (!chosen.isEmpty() && name != nullptr && !QFileInfo(chosen.front()).isDir()) {
            const QString wanted =
                WithTypeExtension(chosen.front(), selectedNameFilter(), nameFilters());
            if (wanted != chosen.front()) name->setText(directory().relativeFilePath(wanted));
        }
        QFileDialog::accept();
    }
};

// Wide enough for a backup's whole name, but never wider or taller than the free area of the
// screen (a laptop at 150 %), where its buttons would be out of reach; centred on it.
void FitIntoScreen(QFileDialog& dialog, QWidget* parent) {
    const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    QSize size(1000, 460);
    if (screen != nullptr)
        size = size.boundedTo(screen->availableGeometry().marginsRemoved(FrameOf(&dialog)).size());
    dialog.resize(size);
    CentreInFreeArea(dialog, screen);
}

// Qt's own dialog, never the platform's: its texts come from the program's Russian catalogue,
// while the platform's speaks the language of the system it runs on.
std::optional<std::string> RunFileDialog(QWidget* parent, const FileDialogRequest& request,
                                         QFileDialog::AcceptMode mode) {
    BusyCursor::Asking asking;
    std::unique_ptr<QFileDialog> made;
    if (request.typeGivesExtension && mode == QFileDialog::AcceptSave)
        made = std::make_unique<TypedSaveDialog>(parent);
    else
        made = std::make_unique<QFileDialog>(parent);
    QFileDialog& dialog = *made;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new RussianFileColumns(&dialog));
    dialog.setAcceptMode(mode);
    if (mode == QFileDialog::AcceptOpen) dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QtFilter(request.filter));
    dialog.setDefaultSuffix(Q(request.defaultExtension));
    if (!request.caption.empty()) dialog.setWindowTitle(Q(request.caption));
    if (request.kind != FileDialogKind::Other) dialog.setDirectory(StartFolder(request.kind));
    if (!request.suggestedName.empty()) {
        QString name = Q(request.suggestedName);
        if (request.typeGivesExtension)
            name = WithTypeExtension(name, dialog.selectedNameFilter(), dialog.nameFilters());
        dialog.selectFile(name);
    }
    FitIntoScreen(dialog, parent);
    AddPlaces(dialog);
    FitFileColumns(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString chosen = dialog.selectedFiles().front();
    if (request.kind != FileDialogKind::Other) Remember(request.kind, chosen);
    // Messages name the file as the system writes paths: C:\Папка\a.cfg on Windows.
    return QDir::toNativeSeparators(chosen).toStdString();
}

}  // namespace

void SetFileDialogPlace(const QString& label, const QString& folder) {
    if (folder.isEmpty()) return;
    auto& places = Places();
    std::erase_if(places, [&](const Place& p) { return p.label == label; });
    places.push_back({label, QUrl::fromLocalFile(QDir::cleanPath(folder))});
}

QString QtFilter(const std::string& filter) {
    const QStringList parts = Q(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        if (!name.contains('(')) name += " (" + parts[i + 1] + ")";
        out << name;
    }
    return out.join(";;");
}

void QtPrompts::notice(const std::string& text) {
    BusyCursor::Asking asking;
    QMessageBox::information(parent_, kNoticeCaption, Q(text), QMessageBox::Ok);
}

bool QtPrompts::question(const std::string& text, const std::string& caption) {
    BusyCursor::Asking asking;
    return QMessageBox::question(parent_, Q(caption), Q(text), QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

// The buttons carry their Russian words themselves, whatever translation Qt has loaded.
Answer QtPrompts::questionWithCancel(const std::string& text, const std::string& caption) {
    QMessageBox box(QMessageBox::Question, Q(caption), Q(text), QMessageBox::NoButton, parent_);
    QPushButton* yes = box.addButton("Да", QMessageBox::YesRole);
    QPushButton* no = box.addButton("Нет", QMessageBox::NoRole);
    QPushButton* cancel = box.addButton("Отмена", QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes) return Answer::Yes;
    if (box.clickedButton() == no) return Answer::No;
    return Answer::Cancel;
}

std::optional<std::string> QtPrompts::openFile(const FileDialogRequest& request) {
    return RunFileDialog(parent_, request, QFileDialog::AcceptOpen);
}

std::optional<std::string> QtPrompts::saveFile(const FileDialogRequest& request) {
    return RunFileDialog(parent_, request, QFileDialog::AcceptSave);
}

}  // namespace kerma
