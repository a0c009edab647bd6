#pragma once
// "文字の配置": how a text box sets its caption (alignment, 均等割付, glyph
// width and height, letter spacing, vertical writing and the digits set side
// by side in it), with a preview of the box's caption set that way. OK is
// offered while every value is one the card can store.
#include "card/CardDocument.h"

#include <QDialog>
#include <QFont>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QSpinBox;

class TextSettingPreview : public QWidget
{
    Q_OBJECT
public:
    explicit TextSettingPreview(QWidget *parent = nullptr);
    // The box as it would stand: its caption, font (pixels of the card's
    // screen), size and setting.
    void show(const QString &caption, const QFont &font, QSizeF box, const TextSetting &setting, const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_caption;
    QFont m_font;
    QSizeF m_box;
    TextSetting m_setting;
    QColor m_color;
};

class TextSettingDialog : public QDialog
{
    Q_OBJECT
public:
    TextSettingDialog(QWidget *parent, const TextBox &box);

    // The setting as the dialog shows it; nothing while a value is not one.
    std::optional<TextSetting> setting() const;
    void setSetting(const TextSetting &setting);

private:
    void update();

    TextBox m_box;
    QComboBox *m_align = nullptr;
    QComboBox *m_width = nullptr;
    QComboBox *m_height = nullptr;
    QSpinBox *m_spacing = nullptr;
    QCheckBox *m_vertical = nullptr;
    QSpinBox *m_tcy = nullptr;
    TextSettingPreview *m_preview = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};
