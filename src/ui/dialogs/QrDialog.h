#pragma once
// The QR code dialog: the content as free text / URL or as a contact form
// (composed as a vCard), the error-correction level and a live preview. OK is
// offered only for content a QR symbol can carry; the line under the preview
// says how many bytes the level holds.
#include "qr/QrCaption.h"

#include <QDialog>

#include <array>

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;

class QrPreview : public QWidget
{
    Q_OBJECT
public:
    explicit QrPreview(QWidget *parent = nullptr);
    void setSymbol(const QrSymbol &symbol);
    const QrSymbol &symbol() const { return m_symbol; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QrSymbol m_symbol;
};

class QrDialog : public QDialog
{
    Q_OBJECT
public:
    // caption: the box's caption when a QR box is edited, empty for a new code.
    explicit QrDialog(QWidget *parent, const QString &caption = QString());

    // The caption of the box: "QR:" and the content.
    QString caption() const;
    QrCaption code() const;

private:
    void update();

    QTabWidget *m_pages = nullptr;
    QPlainTextEdit *m_text = nullptr;
    std::array<QLineEdit *, 10> m_fields{};
    QComboBox *m_level = nullptr;
    QrPreview *m_preview = nullptr;
    QLabel *m_status = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};
