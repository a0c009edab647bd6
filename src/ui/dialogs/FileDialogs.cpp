#include "dialogs/Dialogs.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {
std::optional<QString> run(QWidget *parent, const FileDialogRequest &request, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent);
    setUpFileDialog(dialog, request, mode);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    if (request.chosenFilter) {
        for (const QString &filter : QStringList{request.filter} + request.moreFilters)
            if (qtNameFilter(filter) == dialog.selectedNameFilter())
                *request.chosenFilter = filter;
    }
    return withDefaultExtension(dialog.selectedFiles().constFirst(), request.defaultExtension);
}
}

QString qtNameFilter(const QString &filter)
{
    // "BMP files (*.BMP)|*.bmp": the part before "|" is shown as it stands;
    // Qt matches the patterns in its parentheses, in any letter case.
    const QStringList parts = filter.split(QLatin1Char('|'));
    if (parts.size() < 2 || parts.at(0).endsWith(QLatin1Char(')')))
        return parts.at(0);
    return QStringLiteral("%1 (%2)").arg(parts.at(0), parts.at(1));
}

void setUpFileDialog(QFileDialog &dialog, const FileDialogRequest &request, QFileDialog::AcceptMode mode)
{
    // Qt's own dialog: a platform dialog may show the filter in words of its
    // own and match its pattern in one letter case only, hiding "LOGO.BMP".
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setDefaultSuffix(request.defaultExtension);
    QStringList filters{qtNameFilter(request.filter)};
    for (const QString &filter : request.moreFilters)
        filters << qtNameFilter(filter);
    dialog.setNameFilters(filters);
    if (!request.selectedFilter.isEmpty())
        dialog.selectNameFilter(qtNameFilter(request.selectedFilter));
    if (!request.initialFile.isEmpty()) {
        const QFileInfo info(request.initialFile);
        if (info.isAbsolute())
            dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }
}

QString withDefaultExtension(const QString &path, const QString &extension)
{
    if (extension.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + QLatin1Char('.') + extension;
}

std::optional<QString> SystemFileDialogs::open(QWidget *parent, const FileDialogRequest &request)
{
    return run(parent, request, QFileDialog::AcceptOpen);
}

std::optional<QString> SystemFileDialogs::save(QWidget *parent, const FileDialogRequest &request)
{
    return run(parent, request, QFileDialog::AcceptSave);
}

std::optional<QString> SystemFileDialogs::folder(QWidget *parent, const QString &title, const QString &initialFolder)
{
    QFileDialog dialog(parent, title, initialFolder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}
