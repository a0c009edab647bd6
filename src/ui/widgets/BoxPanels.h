#pragma once
// BoxPanels: the box widgets on the card panel, kept in step with the
// document. A panel is made when a box is added, follows the box's bounds,
// font, caption, visibility and picture, and goes when the box is removed.
// What the user does to a panel comes out as the signals below; a drag by a
// handle goes straight to the document's bounds.
#include "card/CardDocument.h"
#include "view/ViewScale.h"

#include <QObject>

#include <array>
#include <functional>

class QFont;
class QWidget;
class TImage;
class TMovePanel;

// A box font as the screen shows it at a zoom.
QFont zoomedFont(const BoxFont &font, const ViewScale &scale);

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
    const CaptionView &captionView() const { return m_captionView; }
    const PictureView &pictureView() const { return m_pictureView; }

    // Where the card stands on the card panel and how large: every panel
    // follows, and drags come back as whole card pixels.
    void setScale(const ViewScale &scale);
    const ViewScale &scale() const { return m_scale; }
    // The print view: panels show outlines and marks over the printed card.
    void setPrintView(bool printView);

Q_SIGNALS:
    // What the screen shows of the card changed (a box, a caption or picture view).
    void shownCardChanged();
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
    void syncAll();

    CardDocument &m_doc;
    QWidget *m_cardPanel;
    QWidget *m_keepOnTop;
    std::array<TMovePanel *, CardDocument::SlotCount> m_textPanels{};
    std::array<TMovePanel *, CardDocument::SlotCount> m_imagePanels{};
    std::array<TImage *, CardDocument::SlotCount> m_images{};
    CaptionView m_captionView;
    PictureView m_pictureView;
    ViewScale m_scale;
    bool m_printView = false;
};
