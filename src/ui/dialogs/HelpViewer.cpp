#include "dialogs/HelpViewer.h"

#include "base/Messages.h"
#include "widgets/WindowPlacement.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

QString helpFilePathFor(const QString &programDirectory)
{
    QString dir = programDirectory;
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir + Msg::helpFileBaseName() + Msg::helpFileExtension();
}

HelpViewer::HelpViewer(const QString &helpFilePath, QWidget *parent)
    : QWidget(parent, Qt::Window), m_path(helpFilePath)
{
    setWindowTitle(QStringLiteral("Tavelo ヘルプ"));
    resize(m_openSize);
    m_search = new QLineEdit(this);
    m_search->setPlaceholderText(QStringLiteral("キーワードを入力してください"));
    m_index = new QListWidget(this);
    m_browser = new QTextBrowser(this);
    m_status = new QLabel(this);
    m_status->setWordWrap(true);

    auto *splitter = new QSplitter(this);
    auto *left = new QWidget(splitter);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    // With its buddy the label underlines K, and Alt+K goes to the field.
    m_searchLabel = new QLabel(QStringLiteral("キーワード(&K):"), left);
    m_searchLabel->setBuddy(m_search);
    leftLayout->addWidget(m_searchLabel);
    leftLayout->addWidget(m_search);
    leftLayout->addWidget(m_index);
    splitter->addWidget(left);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 2);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(splitter);
    layout->addWidget(m_status);

    connect(m_search, &QLineEdit::textChanged, this, &HelpViewer::fillIndex);
    connect(m_index, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            showTopic(m_index->item(row)->data(Qt::UserRole).toInt());
    });
    reload();
}

void HelpViewer::reload()
{
    m_found = m_file.load(m_path);
    if (m_found) {
        m_status->setText(m_file.title());
    } else {
        m_status->setText(QStringLiteral("ヘルプファイル %1 が見つかりません。").arg(QDir::toNativeSeparators(m_path)));
        m_browser->clear();
    }
    fillIndex(m_search->text());
}

void HelpViewer::showPartialKey(const QString &key)
{
    reload();
    m_search->setText(key);
    fillIndex(key);
    if (!isVisible())
        placeBesideMainWindow();
    show();
    raise();
    activateWindow();
    m_search->setFocus();
}

void HelpViewer::placeBesideMainWindow()
{
    if (!m_mainWindow || !m_mainWindow->isVisible())
        return;
    const QScreen *screen = m_mainWindow->screen();
    if (!screen)
        return;
    const QMargins margins = WindowPlacement::frameMargins(this, m_mainWindow);
    const QRect frame = WindowPlacement::beside(m_mainWindow->frameGeometry(), m_openSize.grownBy(margins),
                                                screen->availableGeometry());
    resize(frame.size().shrunkBy(margins));
    move(frame.topLeft());
}

void HelpViewer::fillIndex(const QString &key)
{
    m_index->clear();
    const auto hits = m_file.search(key);
    for (const auto &hit : hits) {
        auto *item = new QListWidgetItem(hit.first, m_index);
        item->setData(Qt::UserRole, hit.second);
    }
    if (m_index->count() > 0)
        m_index->setCurrentRow(0);
}

void HelpViewer::showTopic(int topic)
{
    if (topic < 0 || topic >= m_file.topics().size())
        return;
    const HelpTopic &t = m_file.topics().at(topic);
    m_browser->setPlainText(t.title + QStringLiteral("\n\n") + t.text);
}
