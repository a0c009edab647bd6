#include "dialogs/BackgroundDialog.h"

#include "base/Messages.h"
#include "dialogs/ColorButton.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

BackgroundDialog::BackgroundDialog(const CardBackground &background, QWidget *parent)
    : QDialog(parent), m_background(background)
{
    setObjectName(QStringLiteral("BackgroundDialog"));
    setWindowTitle(Msg::backgroundTitle());
    auto *grid = new QGridLayout(this);
    m_none = new QRadioButton(Msg::backgroundNone(), this);
    m_none->setObjectName(QStringLiteral("none"));
    m_colored = new QRadioButton(Msg::backgroundColor(), this);
    m_colored->setObjectName(QStringLiteral("colored"));
    m_picture = new QRadioButton(Msg::backgroundPicture(), this);
    m_picture->setObjectName(QStringLiteral("picture"));
    m_colorButton = new ColorButton(Msg::chooseColor(), background.color.value_or(0xffffff), this);
    m_colorButton->setObjectName(QStringLiteral("colorButton"));
    connect(m_colorButton, &ColorButton::colorChosen, this, [this] {
        if (!m_picture->isChecked())
            m_colored->setChecked(true);
    });
    m_path = new QLineEdit(background.picturePath, this);
    m_path->setObjectName(QStringLiteral("path"));
    auto *browse = new QPushButton(Msg::choosePicture(), this);
    connect(browse, &QPushButton::clicked, this, [this] {
        QString filter = Msg::pictureFilter();
        filter = filter.left(filter.indexOf(QLatin1Char('|')));
        const QString path = QFileDialog::getOpenFileName(this, Msg::backgroundTitle(), m_path->text(), filter);
        if (path.isEmpty())
            return;
        m_path->setText(path);
        m_picture->setChecked(true);
    });
    m_fit = new QComboBox(this);
    m_fit->setObjectName(QStringLiteral("fit"));
    m_fit->addItems({Msg::backgroundStretch(), Msg::backgroundFill()});
    m_fit->setCurrentIndex(background.fit == BackgroundFit::Fill ? 1 : 0);
    grid->addWidget(m_none, 0, 0);
    grid->addWidget(m_colored, 1, 0);
    grid->addWidget(m_colorButton, 1, 1);
    grid->addWidget(m_picture, 2, 0);
    grid->addWidget(m_path, 2, 1);
    grid->addWidget(browse, 2, 2);
    grid->addWidget(m_fit, 3, 1);
    (!background.picturePath.isEmpty() ? m_picture : background.color ? m_colored : m_none)->setChecked(true);
    grid->addWidget(okCancelButtons(this), 4, 0, 1, 3);
}

CardBackground BackgroundDialog::background() const
{
    CardBackground chosen;
    if (m_colored->isChecked())
        chosen.color = m_colorButton->color();
    if (m_picture->isChecked() && !m_path->text().isEmpty()) {
        chosen.picturePath = m_path->text();
        chosen.fit = m_fit->currentIndex() == 1 ? BackgroundFit::Fill : BackgroundFit::Stretch;
        // The same file keeps the picture already loaded.
        if (chosen.picturePath == m_background.picturePath)
            chosen.picture = m_background.picture;
    }
    return chosen;
}
