#pragma once
// The help window: a keyword index searched by partial keyword, and the text
// of the chosen topic, read from the help file beside the program.
#include "session/HelpFile.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QTextBrowser;

class HelpViewer : public QWidget
{
    Q_OBJECT
public:
    explicit HelpViewer(const QString &helpFilePath, QWidget *parent = nullptr);

    // The window the help window opens beside, rather than over it.
    void setMainWindow(const QWidget *window) { m_mainWindow = window; }
    // Opens the keyword search with the given (possibly empty) key.
    void showPartialKey(const QString &key);
    bool fileFound() const { return m_found; }
    const QString &helpFilePath() const { return m_path; }
    QListWidget *index() const { return m_index; }
    QTextBrowser *browser() const { return m_browser; }
    QLineEdit *searchField() const { return m_search; }
    QLabel *searchLabel() const { return m_searchLabel; }

private:
    void reload();
    void fillIndex(const QString &key);
    void showTopic(int topic);
    void placeBesideMainWindow();

    QString m_path;
    QSize m_openSize{640, 420};   // made narrower when the screen beside the main window is
    HelpFile m_file;
    bool m_found = false;
    const QWidget *m_mainWindow = nullptr;
    QLabel *m_searchLabel = nullptr;
    QLineEdit *m_search = nullptr;
    QListWidget *m_index = nullptr;
    QTextBrowser *m_browser = nullptr;
    QLabel *m_status = nullptr;
};

// The help file's fixed place: the program's directory, "Tavelo", ".hlp".
QString helpFilePathFor(const QString &programDirectory);
