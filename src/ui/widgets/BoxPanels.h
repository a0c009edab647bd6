#pragma once
// BoxPanels: the box widgets on the card panel, kept in step with the
// document. A panel is made when a box is added, follows the box's bounds,
// font, caption, visibility and picture, and goes when the box is removed.
// What the user does to a panel comes out as the signals below; a drag by a
// handle goes straight to the document's bounds.
#include "card/CardDocument.h"

#include <QObject>

#include <array>
#include <functional>

class QWidget;
class TImage;
class TMovePanel;

class BoxPanels : public QObject
{
    Q_OBJECT
public:
    // Panels are made on cardPanel; keepOnTop (the inline editor) stays above them.
    BoxPanels(CardDocument &doc, QWidget *cardPanel, QWidget *keepOnTop);

    TMovePanel *textPanel(int slot) const;
    TMovePanel *imagePanel(int slot) const;
    TImage *imageControl(int slot) const;

    // What a text panel shows for its box's caption: the caption itself
    // unless a view is set (a merge row's values). The document keeps its
    // captions either way.
    using CaptionView = std::function<QString(const QString &caption)>;
    void setCaptionView(CaptionView view);
    // The same for an image box's picture.
    using PictureView = std::function<QImage(const MoveImageRecord &record)>;
    void setPictureView(PictureView view);

Q_SIGNALS:
    void clicked(BoxRef box);
    void mouseDown(BoxRef box, Qt::MouseButton button);

private:
    TMovePanel *addPanel(const QString &name);
    // Shows a new panel and passes on what is done to it; control is the
    // panel itself or the picture on it.
    template <typename Control>
    void wire(TMovePanel *panel, Control *control, BoxRef box);
    void setBounds(BoxRef box, const QRect &geometry);
    void onTextBoxAdded(int slot);
    void onTextBoxRemoved(int slot);
    void syncTextPanel(int slot);
    void onImageBoxAdded(int slot);
    void onImageBoxRemoved(int slot);
    void syncImagePanel(int slot);

    CardDocument &m_doc;
    QWidget *m_cardPanel;
    QWidget *m_keepOnTop;
    std::array<TMovePanel *, CardDocument::SlotCount> m_textPanels{};
    std::array<TMovePanel *, CardDocument::SlotCount> m_imagePanels{};
    std::array<TImage *, CardDocument::SlotCount> m_images{};
    CaptionView m_captionView;
    PictureView m_pictureView;
};
