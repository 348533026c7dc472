#include "app/dialogs/file_dialog.h"

#include <QFileDialog>
#include <QRegularExpression>

namespace tessel::app {

namespace {

// "*.sqv;*.SQV" -> "*.sqv *.SQV"; "*.*" means every file, which "*" says on this system.
QString Patterns(const QString& patterns) {
    QStringList list;
    for (QString pattern : patterns.split(';', Qt::SkipEmptyParts)) {
        pattern = pattern.trimmed();
        list << (pattern == "*.*" ? QStringLiteral("*") : pattern);
    }
    return list.join(' ');
}

}  // namespace

QStringList NameFiltersFrom(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    static const QRegularExpression trailingPatterns("\\s*\\([^()]*\\)\\s*$");
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        description.remove(trailingPatterns);
        filters << description + " (" + Patterns(parts[i + 1]) + ")";
    }
    if (filters.isEmpty())
        filters << "All Files (*)";
    return filters;
}

void ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& request) {
    const bool save = request.kind == FileDialogRequest::Kind::Save;
    dialog.setObjectName("CMDialog1");
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setWindowTitle(QString::fromStdString(request.title));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (save) {
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setFileMode((request.flags & kFlagFileMustExist) ? QFileDialog::ExistingFile
                                                                : QFileDialog::AnyFile);
    }
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(request.flags & kFlagOverwritePrompt));
    const QStringList filters = NameFiltersFrom(request.filter);
    dialog.setNameFilters(filters);
    const int index = request.filterIndex - 1;
    if (index >= 0 && index < filters.size())
        dialog.selectNameFilter(filters[index]);
    if (!request.initialDirectory.empty()) {
        dialog.setDirectory(QString::fromStdString(request.initialDirectory));
    }
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    if (!request.fileName.empty())
        dialog.selectFile(QString::fromStdString(request.fileName));
}

std::optional<std::string> RunFileDialog(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent);
    ConfigureFileDialog(dialog, request);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.front().isEmpty())
        return std::nullopt;
    return files.front().toStdString();
}

}  // namespace tessel::app
