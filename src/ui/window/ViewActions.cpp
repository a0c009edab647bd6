#include "window/ViewActions.h"

#include "base/Messages.h"
#include "card/CardGeometry.h"
#include "sheet/CardSheet.h"
#include "widgets/BoxPanels.h"
#include "widgets/CardPanel.h"
#include "widgets/ErrorGuard.h"
#include "widgets/ToolIcons.h"
#include "window/Main.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QToolButton>

#include <cmath>

namespace {
const QString kPrintViewKey = QStringLiteral("view/printImage");
const QString kSafetyLineKey = QStringLiteral("view/safetyLine");
constexpr long double kSafetyMarginCm = 0.3L;   // text stays this far inside the trim
constexpr long double kPasteboardCm = 0.5L;
constexpr int kButtonLeft = 192;   // after the box buttons, with the same gap as before them
constexpr int kStatusLeft = 228;

using ErrorGuard::guarded;
}

ViewActions::ViewActions(TForm1 &form, QAction *beforeHelp, QSettings *settings)
    : QObject(&form), m_form(form), m_userSettings(QStringLiteral("Tavelo"), QStringLiteral("Tavelo")),
      m_settings(settings ? settings : &m_userSettings)
{
    auto *menu = new QMenu(Msg::menuView(), &form);
    menu->setObjectName(QStringLiteral("MenuView"));
    form.menuBar()->insertMenu(beforeHelp, menu);
    auto add = [this, menu](const char *name, const QString &caption) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    MenuPrintView = add("MenuPrintView", Msg::menuPrintView());
    MenuPrintView->setCheckable(true);
    MenuSafetyLine = add("MenuSafetyLine", Msg::menuSafetyLine());
    MenuSafetyLine->setCheckable(true);
    menu->addSeparator();
    MenuZoomIn = add("MenuZoomIn", Msg::menuZoomIn());
    MenuZoomIn->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    MenuZoomOut = add("MenuZoomOut", Msg::menuZoomOut());
    MenuZoomOut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    MenuActualSize = add("MenuActualSize", Msg::menuActualSize());
    MenuActualSize->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    for (QAction *action : {MenuZoomIn, MenuZoomOut, MenuActualSize})
        action->setShortcutContext(Qt::WindowShortcut);

    MenuPrintView->setChecked(m_settings->value(kPrintViewKey, false).toBool());
    MenuSafetyLine->setChecked(m_settings->value(kSafetyLineKey, true).toBool());

    PrintViewButton = new QToolButton(form.ToolBar);
    PrintViewButton->setObjectName(QStringLiteral("SpeedButton7"));
    const QToolButton *last = form.SpeedButtons.back();
    PrintViewButton->setGeometry(kButtonLeft, last->y(), last->width(), last->height());
    PrintViewButton->setIcon(ToolIcons::printView());
    PrintViewButton->setIconSize(last->iconSize());
    PrintViewButton->setToolTip(Msg::hintPrintView());
    PrintViewButton->setAutoRaise(true);
    PrintViewButton->setFocusPolicy(Qt::NoFocus);   // the editor keeps the focus
    PrintViewButton->setCheckable(true);
    PrintViewButton->setChecked(MenuPrintView->isChecked());
    connect(PrintViewButton, &QToolButton::toggled, MenuPrintView, &QAction::setChecked);
    connect(MenuPrintView, &QAction::toggled, PrintViewButton, &QToolButton::setChecked);

    Status = new QLabel(form.ToolBar);
    Status->setObjectName(QStringLiteral("ViewStatus"));
    Status->move(kStatusLeft, last->y() + 5);

    connect(MenuPrintView, &QAction::toggled, this, guarded([this] {
                m_settings->setValue(kPrintViewKey, printView());
                apply();
            }));
    connect(MenuSafetyLine, &QAction::toggled, this, guarded([this] {
                m_settings->setValue(kSafetyLineKey, MenuSafetyLine->isChecked());
                redraw();
            }));
    connect(MenuZoomIn, &QAction::triggered, this, guarded([this] { setZoom(ViewScale::zoomedIn(m_zoom)); }));
    connect(MenuZoomOut, &QAction::triggered, this, guarded([this] { setZoom(ViewScale::zoomedOut(m_zoom)); }));
    connect(MenuActualSize, &QAction::triggered, this, guarded([this] { setZoom(100); }));
    connect(form.Panel1, &CardPanel::zoomWheel, this, [this](int steps) {
        int zoom = m_zoom;
        for (; steps > 0; --steps)
            zoom = ViewScale::zoomedIn(zoom);
        for (; steps < 0; ++steps)
            zoom = ViewScale::zoomedOut(zoom);
        guarded([this, zoom] { setZoom(zoom); })();
    });
    connect(&form.boxPanels(), &BoxPanels::shownCardChanged, form.Panel1, [this] { redraw(); });
    for (auto changed : {&CardDocument::shapesChanged, &CardDocument::backgroundChanged}) {
        connect(&form.document(), changed, form.Panel1, [this] {
            redraw();
            m_form.Panel1->update();
        });
    }
    apply();
}

void ViewActions::setZoom(int percent)
{
    percent = ViewScale::nearestStep(percent);
    if (percent == m_zoom)
        return;
    m_zoom = percent;
    apply();
}

void ViewActions::setPrintView(bool on)
{
    MenuPrintView->setChecked(on);
}

void ViewActions::showMergeRow(int row)
{
    m_mergeRow = row;
    updateStatus();
    redraw();
}

int ViewActions::viewDpi() const
{
    return int(std::lround(m_form.PixelsPerInch() * m_zoom / 100.0));
}

int ViewActions::pasteboard(int dpi)
{
    return CardGeometry::cmToPixels(dpi, kPasteboardCm);
}

void ViewActions::redraw()
{
    m_printViewDirty = true;
    if (printView())
        m_form.Panel1->update();
}

void ViewActions::apply()
{
    m_printViewDirty = true;
    const int dpi = viewDpi();
    const QSize card = CardView::cardSize(dpi);
    const int margin = printView() ? pasteboard(dpi) : 0;
    m_form.setCardScale(ViewScale(m_zoom, QPoint(margin, margin)), card.grownBy(QMargins(margin, margin, margin, margin)));
    m_form.boxPanels().setPrintView(printView());
    if (printView()) {
        m_form.Panel1->setPainter([this](QPainter &painter) {
            if (m_printViewDirty || m_printViewImage.size() != m_form.Panel1->size()) {
                m_printViewImage = QImage(m_form.Panel1->size(), QImage::Format_ARGB32_Premultiplied);
                QPainter image(&m_printViewImage);
                paintPrintView(image, true);
                m_printViewDirty = false;
            }
            painter.drawImage(0, 0, m_printViewImage);
        });
    } else {
        m_printViewImage = QImage();
        m_form.Panel1->setPainter({});
        // The bevelled view shows the background and the shapes as printed,
        // under the box panels.
        m_form.Panel1->setUnderlay([this](QPainter &painter) {
            const CardDocument &doc = m_form.document();
            if (doc.shapes().isEmpty() && doc.background().isEmpty())
                return;
            CardDocument shown;
            shown.setScreenPpi(doc.screenPpi());
            shown.restoreShapes(doc.shapes());
            shown.setBackground(doc.background());
            const int dpi = viewDpi();
            QImage device(1, 1, QImage::Format_RGB32);
            device.setDotsPerMeterX(int(std::lround(dpi / 0.0254)));
            device.setDotsPerMeterY(int(std::lround(dpi / 0.0254)));
            CardSheet::singleCard(shown, device, dpi, 0).draw(painter);
        });
    }
    MenuSafetyLine->setEnabled(printView());
    updateStatus();
}

void ViewActions::updateStatus()
{
    QStringList parts;
    if (m_zoom != 100)
        parts << Msg::zoomStatus(m_zoom);
    if (m_mergeRow >= 0)
        parts << Msg::mergeRowStatus(m_mergeRow + 1);
    Status->setText(parts.join(QStringLiteral("  ")));
    Status->adjustSize();
}

void ViewActions::paintPrintView(QPainter &painter, bool overlays)
{
    const int dpi = viewDpi();
    const QSize card = CardView::cardSize(dpi);
    const int margin = pasteboard(dpi);
    const QRect cardRect(QPoint(margin, margin), card);
    const QRect whole = cardRect.adjusted(-margin, -margin, margin, margin);

    painter.fillRect(whole, QColor(160, 160, 160));
    const BoxPanels &panels = m_form.boxPanels();
    m_cardView.draw(painter, m_form.document(), dpi, margin, panels.captionView(), panels.pictureView());

    // What lies beyond the edge shows dimmed: the standard sheet prints it
    // into the neighbouring card.
    const QColor dim(128, 128, 128, 160);
    painter.fillRect(QRect(whole.left(), whole.top(), whole.width(), margin), dim);
    painter.fillRect(QRect(whole.left(), cardRect.bottom() + 1, whole.width(), margin), dim);
    painter.fillRect(QRect(whole.left(), cardRect.top(), margin, card.height()), dim);
    painter.fillRect(QRect(cardRect.right() + 1, cardRect.top(), margin, card.height()), dim);
    if (!overlays)
        return;
    // The card's edge just outside the card, the safety line inside it.
    painter.setPen(QPen(QColor(64, 64, 64), 1));
    painter.drawRect(cardRect.adjusted(-1, -1, 0, 0));
    if (MenuSafetyLine->isChecked()) {
        const int inset = CardGeometry::cmToPixels(dpi, kSafetyMarginCm);
        painter.setPen(QPen(QColor(0, 160, 220), 1, Qt::DashLine));
        painter.drawRect(cardRect.adjusted(inset, inset, -inset - 1, -inset - 1));
    }
}
