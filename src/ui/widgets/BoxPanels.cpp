#include "widgets/BoxPanels.h"

#include "card/FieldText.h"
#include "sheet/FontMapping.h"
#include "widgets/ErrorGuard.h"
#include "widgets/MovePanel.h"

#include <algorithm>
#include <cstdint>

QFont zoomedFont(const BoxFont &font, const ViewScale &scale)
{
    BoxFont zoomed = font;
    const std::int64_t height = scale.toScreen(font.height());
    zoomed.setHeight(std::int32_t(std::clamp<std::int64_t>(height, INT32_MIN, INT32_MAX)));
    return FontMapping::toQFont(zoomed);
}

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
    const TextBox *text = box.isText() ? m_doc.TextBoxes(box.slot) : nullptr;
    const MoveImageRecord *image = box.isImage() ? m_doc.ImageBoxes(box.slot) : nullptr;
    if (!text && !image)
        return;
    const BoxBounds before = text ? text->bounds : image->bounds;
    // A move keeps the panel's size, a resize its top-left corner.
    const BoxBounds bounds = g.size() == m_scale.toScreen(before).size() ? m_scale.moved(before, g)
                                                                         : m_scale.resized(before, g);
    if (text)
        m_doc.setTextBounds(box.slot, bounds);
    else
        m_doc.setImageBounds(box.slot, bounds);
    // Snapped to whole card pixels: the panel stands where the box does.
    if (TMovePanel *panel = box.isText() ? textPanel(box.slot) : imagePanel(box.slot))
        panel->setGeometry(m_scale.toScreen(text ? m_doc.TextBoxes(box.slot)->bounds : m_doc.ImageBoxes(box.slot)->bounds));
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
    Q_EMIT shownCardChanged();
}

void BoxPanels::syncTextPanel(int slot)
{
    const TextBox *box = m_doc.TextBoxes(slot);
    TMovePanel *panel = textPanel(slot);
    if (!box || !panel)
        return;
    panel->setGeometry(m_scale.toScreen(box->bounds));
    panel->setFont(zoomedFont(box->Font, m_scale));
    panel->setTextColor(FontMapping::toQColor(box->Font.color()));
    panel->setCaption(m_captionView ? m_captionView(box->Caption) : box->Caption);
    panel->setTextSetting(box->Setting);
    panel->setVisible(box->Visible);
    panel->setPrintView(m_printView);
    Q_EMIT shownCardChanged();
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
    Q_EMIT shownCardChanged();
}

void BoxPanels::syncImagePanel(int slot)
{
    const MoveImageRecord *record = m_doc.ImageBoxes(slot);
    TMovePanel *panel = imagePanel(slot);
    if (!record || !panel)
        return;
    panel->setGeometry(m_scale.toScreen(record->bounds));
    panel->setPrintView(m_printView);
    TImage *image = imageControl(slot);
    const QImage picture = m_pictureView ? m_pictureView(*record) : record->Picture;
    if (image->picture().cacheKey() != picture.cacheKey())
        image->setPicture(picture);
    // A path with fields and no picture shows itself, filled as the captions are.
    const bool placeholder = picture.isNull() && FieldText::hasFields(record->ImagePath);
    const QString &path = record->ImagePath;
    image->setPlaceholder(placeholder ? (m_captionView ? m_captionView(path) : path) : QString());
    Q_EMIT shownCardChanged();
}

void BoxPanels::setScale(const ViewScale &scale)
{
    m_scale = scale;
    syncAll();
}

void BoxPanels::setPrintView(bool printView)
{
    m_printView = printView;
    syncAll();
}

void BoxPanels::syncAll()
{
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        syncTextPanel(slot);
        syncImagePanel(slot);
    }
    Q_EMIT shownCardChanged();
}

void BoxPanels::setPictureView(PictureView view)
{
    m_pictureView = std::move(view);
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot)
        syncImagePanel(slot);
}
