#include "widgets/BoxPanels.h"

#include "card/FieldText.h"
#include "sheet/FontMapping.h"
#include "widgets/ErrorGuard.h"
#include "widgets/MovePanel.h"

namespace {
template <typename Widget, std::size_t N>
Widget *at(const std::array<Widget *, N> &widgets, int slot)
{
    return slot >= 0 && slot < int(N) ? widgets[std::size_t(slot)] : nullptr;
}
}

BoxPanels::BoxPanels(CardDocument &doc, QWidget *cardPanel, QWidget *keepOnTop)
    : QObject(cardPanel), m_doc(doc), m_cardPanel(cardPanel), m_keepOnTop(keepOnTop)
{
    connect(&m_doc, &CardDocument::textBoxAdded, this, &BoxPanels::onTextBoxAdded);
    connect(&m_doc, &CardDocument::textBoxRemoved, this, &BoxPanels::onTextBoxRemoved);
    connect(&m_doc, &CardDocument::textBoxChanged, this, &BoxPanels::syncTextPanel);
    connect(&m_doc, &CardDocument::imageBoxAdded, this, &BoxPanels::onImageBoxAdded);
    connect(&m_doc, &CardDocument::imageBoxRemoved, this, &BoxPanels::onImageBoxRemoved);
    connect(&m_doc, &CardDocument::imageBoxChanged, this, &BoxPanels::syncImagePanel);
}

TMovePanel *BoxPanels::textPanel(int slot) const
{
    return at(m_textPanels, slot);
}

TMovePanel *BoxPanels::imagePanel(int slot) const
{
    return at(m_imagePanels, slot);
}

TImage *BoxPanels::imageControl(int slot) const
{
    return at(m_images, slot);
}

TMovePanel *BoxPanels::addPanel(const QString &name)
{
    auto *panel = new TMovePanel(m_cardPanel);
    panel->setObjectName(name);
    return panel;
}

template <typename Control>
void BoxPanels::wire(TMovePanel *panel, Control *control, BoxRef box)
{
    panel->show();
    m_keepOnTop->raise();
    connect(control, &Control::clicked, this, [this, box] { Q_EMIT clicked(box); });
    connect(control, &Control::mouseDown, this,
            [this, box](Qt::MouseButton button, const QPoint &) { Q_EMIT mouseDown(box, button); });
    connect(panel, &TMovePanel::boundsDragged, this,
            [this, box](const QRect &g) { ErrorGuard::guarded([this, box, g] { setBounds(box, g); })(); });
}

void BoxPanels::setBounds(BoxRef box, const QRect &g)
{
    const BoxBounds bounds{g.x(), g.y(), g.width(), g.height()};
    if (box.isText())
        m_doc.setTextBounds(box.slot, bounds);
    else
        m_doc.setImageBounds(box.slot, bounds);
}

void BoxPanels::onTextBoxAdded(int slot)
{
    TMovePanel *panel = addPanel(m_doc.TextBoxes(slot)->Name());
    m_textPanels[std::size_t(slot)] = panel;
    syncTextPanel(slot);
    wire(panel, panel, BoxRef::text(slot));
}

void BoxPanels::onTextBoxRemoved(int slot)
{
    delete m_textPanels[std::size_t(slot)];
    m_textPanels[std::size_t(slot)] = nullptr;
}

void BoxPanels::syncTextPanel(int slot)
{
    const TextBox *box = m_doc.TextBoxes(slot);
    TMovePanel *panel = textPanel(slot);
    if (!box || !panel)
        return;
    const BoxBounds &b = box->bounds;
    panel->setGeometry(b.Left, b.Top, b.Width, b.Height);
    panel->setFont(FontMapping::toQFont(box->Font));
    panel->setTextColor(FontMapping::toQColor(box->Font.color()));
    panel->setCaption(m_captionView ? m_captionView(box->Caption) : box->Caption);
    panel->setVisible(box->Visible);
}

void BoxPanels::setCaptionView(CaptionView view)
{
    m_captionView = std::move(view);
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot)
        syncTextPanel(slot);
}

void BoxPanels::onImageBoxAdded(int slot)
{
    const MoveImageRecord *record = m_doc.ImageBoxes(slot);
    TMovePanel *panel = addPanel(record->PanelName());
    auto *image = new TImage(panel);
    image->setObjectName(record->ImageName());
    m_imagePanels[std::size_t(slot)] = panel;
    m_images[std::size_t(slot)] = image;
    syncImagePanel(slot);
    wire(panel, image, BoxRef::image(slot));
}

void BoxPanels::onImageBoxRemoved(int slot)
{
    delete m_imagePanels[std::size_t(slot)];   // the picture control goes with its panel
    m_imagePanels[std::size_t(slot)] = nullptr;
    m_images[std::size_t(slot)] = nullptr;
}

void BoxPanels::syncImagePanel(int slot)
{
    const MoveImageRecord *record = m_doc.ImageBoxes(slot);
    TMovePanel *panel = imagePanel(slot);
    if (!record || !panel)
        return;
    const BoxBounds &b = record->bounds;
    panel->setGeometry(b.Left, b.Top, b.Width, b.Height);
    TImage *image = imageControl(slot);
    const QImage picture = m_pictureView ? m_pictureView(*record) : record->Picture;
    if (image->picture().cacheKey() != picture.cacheKey())
        image->setPicture(picture);
    // A path with fields and no picture shows itself, filled as the captions are.
    const bool placeholder = picture.isNull() && FieldText::hasFields(record->ImagePath);
    const QString &path = record->ImagePath;
    image->setPlaceholder(placeholder ? (m_captionView ? m_captionView(path) : path) : QString());
}

void BoxPanels::setPictureView(PictureView view)
{
    m_pictureView = std::move(view);
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot)
        syncImagePanel(slot);
}
