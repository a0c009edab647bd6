#pragma once
// The common dialogs the main window runs: file open/save and font choice.
// The main window reaches them through these interfaces so that tests can
// answer them without a real dialog.
#include "card/BoxFont.h"

#include <QFileDialog>
#include <QString>
#include <QStringList>

#include <optional>


struct FileDialogRequest {
    FileDialogRequest() = default;
    FileDialogRequest(const QString &extension, const QString &filter, const QString &initialFile)
        : defaultExtension(extension), filter(filter), initialFile(initialFile)
    {
    }

    QString defaultExtension;   // "tvl": appended to a name typed without one
    QString filter;             // "description|pattern"
    QString initialFile;
    QStringList moreFilters;    // offered after filter, in the same form
    QString selectedFilter;     // the one shown first; empty: filter
    // Where the dialog tells which of the filters was chosen (when not null).
    QString *chosenFilter = nullptr;
};

class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    // The chosen full path, or nothing when the dialog was cancelled.
    virtual std::optional<QString> open(QWidget *parent, const FileDialogRequest &request) = 0;
    virtual std::optional<QString> save(QWidget *parent, const FileDialogRequest &request) = 0;
    // A folder, existing or made in the dialog; nothing when cancelled.
    virtual std::optional<QString> folder(QWidget *parent, const QString &title, const QString &initialFolder) = 0;
};

class SystemFileDialogs : public FileDialogs
{
public:
    std::optional<QString> open(QWidget *parent, const FileDialogRequest &request) override;
    std::optional<QString> save(QWidget *parent, const FileDialogRequest &request) override;
    std::optional<QString> folder(QWidget *parent, const QString &title, const QString &initialFolder) override;
};

class FontChooser
{
public:
    virtual ~FontChooser() = default;
    // The whole font chosen, colour included, or nothing on cancel. Heights
    // are pixels at screenPpi.
    virtual std::optional<BoxFont> choose(QWidget *parent, const BoxFont &initial, int screenPpi) = 0;
};

// Adds the default extension to a name typed without one, as the dialogs do.
QString withDefaultExtension(const QString &path, const QString &extension);

// The filter as Qt's file dialog takes it: the shown text with its patterns.
QString qtNameFilter(const QString &filter);
// Sets up the file dialog that SystemFileDialogs runs.
void setUpFileDialog(QFileDialog &dialog, const FileDialogRequest &request, QFileDialog::AcceptMode mode);
