#include "dialogs/QrDialog.h"

#include "base/Messages.h"
#include "qr/ContactCard.h"
#include "qr/QrDrawing.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
constexpr int PreviewSide = 200;
constexpr int TextPage = 0;
constexpr int ContactPage = 1;
constexpr std::array<QrLevel, 4> Levels{QrLevel::L, QrLevel::M, QrLevel::Q, QrLevel::H};

ContactCard contactOf(const std::array<QLineEdit *, 10> &f)
{
    return {f[0]->text(), f[1]->text(), f[2]->text(), f[3]->text(), f[4]->text(),
            f[5]->text(), f[6]->text(), f[7]->text(), f[8]->text(), f[9]->text()};
}

void showContact(const std::array<QLineEdit *, 10> &f, const ContactCard &c)
{
    const QString values[10] = {c.name, c.kana, c.company, c.department, c.title,
                                c.phone, c.mobile, c.email, c.url, c.address};
    for (size_t i = 0; i < f.size(); ++i)
        f[i]->setText(values[i]);
}
} // namespace

QrPreview::QrPreview(QWidget *parent) : QWidget(parent)
{
    setFixedSize(PreviewSide, PreviewSide);
}

void QrPreview::setSymbol(const QrSymbol &symbol)
{
    m_symbol = symbol;
    QWidget::update();
}

void QrPreview::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QrDrawing::drawOnScreen(painter, rect(), m_symbol, Qt::black);
}

QrDialog::QrDialog(QWidget *parent, const QString &caption) : QDialog(parent)
{
    setObjectName(QStringLiteral("QrDialog"));
    setWindowTitle(Msg::qrDialogTitle());

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("QrPages"));
    m_text = new QPlainTextEdit(m_pages);
    m_text->setObjectName(QStringLiteral("QrText"));
    m_pages->addTab(m_text, Msg::qrTextPage());

    QWidget *contact = new QWidget(m_pages);
    auto *form = new QFormLayout(contact);
    const QStringList labels = Msg::qrContactFields();
    for (size_t i = 0; i < m_fields.size(); ++i) {
        m_fields[i] = new QLineEdit(contact);
        m_fields[i]->setObjectName(QStringLiteral("QrField%1").arg(i));
        form->addRow(labels.value(int(i)), m_fields[i]);
        connect(m_fields[i], &QLineEdit::textChanged, this, &QrDialog::update);
    }
    m_pages->addTab(contact, Msg::qrContactPage());

    m_level = new QComboBox(this);
    m_level->setObjectName(QStringLiteral("QrLevel"));
    m_level->addItems(Msg::qrLevels());
    auto *levelLabel = new QLabel(Msg::qrLevel(), this);
    levelLabel->setBuddy(m_level);

    m_preview = new QrPreview(this);
    m_preview->setObjectName(QStringLiteral("QrPreview"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("QrStatus"));
    m_status->setWordWrap(true);
    m_status->setFixedWidth(PreviewSide);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttons->button(QDialogButtonBox::Ok)->setText(Msg::buttonOk());
    m_buttons->button(QDialogButtonBox::Cancel)->setText(Msg::buttonCancel());
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *previewColumn = new QVBoxLayout;
    previewColumn->addWidget(m_preview);
    previewColumn->addWidget(m_status);
    previewColumn->addStretch();
    auto *levelRow = new QHBoxLayout;
    levelRow->addWidget(levelLabel);
    levelRow->addWidget(m_level);
    levelRow->addStretch();
    auto *left = new QVBoxLayout;
    left->addWidget(m_pages);
    left->addLayout(levelRow);
    auto *top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addLayout(previewColumn);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_buttons);

    // An edited box opens on the page that made it.
    const QrCaption existing = qrCaption(caption).value_or(QrCaption{});
    m_level->setCurrentIndex(int(std::find(Levels.begin(), Levels.end(), existing.level) - Levels.begin()));
    if (const std::optional<ContactCard> card = ContactCard::fromVCard(existing.content)) {
        showContact(m_fields, *card);
        m_pages->setCurrentIndex(ContactPage);
    } else {
        m_text->setPlainText(existing.content);
    }
    connect(m_text, &QPlainTextEdit::textChanged, this, &QrDialog::update);
    connect(m_pages, &QTabWidget::currentChanged, this, &QrDialog::update);
    connect(m_level, &QComboBox::currentIndexChanged, this, &QrDialog::update);
    update();
    // The user types straight away, into the page the dialog opens on.
    if (m_pages->currentIndex() == ContactPage)
        m_fields.front()->setFocus();
    else
        m_text->setFocus();
}

QrCaption QrDialog::code() const
{
    QrCaption code;
    code.level = Levels[size_t(std::clamp(m_level->currentIndex(), 0, 3))];
    if (m_pages->currentIndex() == ContactPage) {
        // An empty form is no contact.
        const ContactCard contact = contactOf(m_fields);
        if (!(contact == ContactCard{}))
            code.content = contact.toVCard();
    } else {
        // A caption may hold line feeds, never a carriage return.
        code.content = m_text->toPlainText();
        code.content.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        code.content.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    }
    return code;
}

QString QrDialog::caption() const
{
    return code().captionText();
}

void QrDialog::update()
{
    const QrCaption current = code();
    const QrSymbol symbol = current.symbol();
    const int bytes = int(current.content.toUtf8().size());
    const int capacity = QrSymbol::byteCapacity(current.level);
    m_preview->setSymbol(symbol);
    switch (symbol.status()) {
    case QrSymbol::Status::Ok: m_status->setText(Msg::qrContentBytes(bytes, capacity)); break;
    case QrSymbol::Status::Empty: m_status->setText(Msg::qrEmpty()); break;
    case QrSymbol::Status::TooLong:
        m_status->setText(Msg::qrTooLongFor(QLatin1Char(qrLevelLetter(current.level)), capacity, bytes));
        break;
    }
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(symbol.isValid());
}
