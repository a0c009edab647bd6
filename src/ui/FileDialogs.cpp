#include "Dialogs.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {
QString qtFilter(const QString &filter)
{
    // "名刺 files (*.tvl)|*.tvl": the part before "|" is shown, the part after matches.
    const QStringList parts = filter.split(QLatin1Char('|'));
    if (parts.size() < 2)
        return filter;
    return QStringLiteral("%1 (%2)").arg(parts.at(0).section(QLatin1String(" ("), 0, 0), parts.at(1));
}

std::optional<QString> run(QWidget *parent, const FileDialogRequest &request, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::AnyFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setDefaultSuffix(request.defaultExtension);
    dialog.setNameFilter(qtFilter(request.filter));
    if (!request.initialFile.isEmpty()) {
        const QFileInfo info(request.initialFile);
        if (info.isAbsolute())
            dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return withDefaultExtension(dialog.selectedFiles().constFirst(), request.defaultExtension);
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
