#include "dialogs/About.h"

#include "base/Messages.h"
#include "widgets/ToolIcons.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

TAboutBox::TAboutBox(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(Msg::aboutCaption());
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);
    setFixedSize(294, 214);
    QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
    f.setPixelSize(12);
    setFont(f);

    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setGeometry(8, 8, 277, 158);

    auto *icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setPixmap(ToolIcons::program().pixmap(32, 32));
    icon->setGeometry(16, 16, 33, 33);

    auto label = [panel](const char *name, const QString &text, int x, int y) {
        auto *l = new QLabel(text, panel);
        l->setObjectName(QLatin1String(name));
        l->move(x, y);
        l->adjustSize();
        return l;
    };
    label("ProductName", Msg::aboutProduct(), 86, 16);
    label("Version", Msg::aboutVersion(), 86, 39);
    auto *notice = label("Notice", Msg::aboutNotice(), 32, 78);
    notice->setWordWrap(true);
    notice->setFixedWidth(277 - 32 - 8);
    notice->adjustSize();

    OKButton = new QPushButton(Msg::buttonOk(), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(118, 175, 64, 33);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        return;   // no cancel button: Esc does nothing
    QDialog::keyPressEvent(event);
}

void TAboutBox::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        m_place.beforeShow(this);
    OKButton->setFocus();
}

void TAboutBox::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous())
        m_place.beforeHide(this);
    QDialog::hideEvent(event);
}
