#include "widgets/MovePanel.h"

#include "qr/QrCaption.h"
#include "qr/QrDrawing.h"
#include "text/CaptionLayout.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

TMovePanel *TMovePanel::s_dragging = nullptr;

namespace {
constexpr int kHandle = 10;       // each handle is this many pixels from its corner
constexpr int kHandleMark = 5;    // side of the square that shows a handle
constexpr int kHandleInset = 2;   // from the panel's edge to the square

void drawRaisedBevel(QPainter &p, const QRect &r, const QPalette &palette)
{
    p.fillRect(r, palette.color(QPalette::Button));
    p.setPen(palette.color(QPalette::Light));
    p.drawLine(r.left(), r.top(), r.right() - 1, r.top());
    p.drawLine(r.left(), r.top(), r.left(), r.bottom() - 1);
    p.setPen(palette.color(QPalette::Dark));
    p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    p.drawLine(r.right(), r.top(), r.right(), r.bottom());
}
}

TMovePanel::TMovePanel(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(185, 41);
}

TMovePanel::~TMovePanel()
{
    if (s_dragging == this) {
        s_dragging = nullptr;
        Q_EMIT dragFinished();
    }
}

HitTestCode TMovePanel::hitTest(const QSize &size, const QPoint &client)
{
    const long long cx = client.x();
    const long long cy = client.y();
    if (cx <= kHandle && cy <= kHandle)
        return HTCAPTION;
    if (size.width() - cx <= kHandle && size.height() - cy <= kHandle)
        return HTBOTTOMRIGHT;
    return HTCLIENT;
}

HitTestCode TMovePanel::WMNCHitTest(const QPoint &screen) const
{
    return hitTest(size(), mapFromGlobal(screen));
}

void TMovePanel::setTextSetting(const TextSetting &setting)
{
    if (setting == m_setting)
        return;
    m_setting = setting;
    update();
}

void TMovePanel::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    m_qr.reset();
    if (const std::optional<QrCaption> qr = qrCaption(caption))
        m_qr = qr->symbol();
    update();
}

void TMovePanel::setTextColor(const QColor &color)
{
    if (color == m_textColor)
        return;
    m_textColor = color;
    update();
}

void TMovePanel::cancelActiveDrag()
{
    if (s_dragging) {
        s_dragging->m_drag = Drag::None;
        s_dragging->releaseMouse();
        TMovePanel *ended = s_dragging;
        s_dragging = nullptr;
        Q_EMIT ended->dragFinished();
    }
}

void TMovePanel::setPrintView(bool printView)
{
    if (printView == m_printView)
        return;
    m_printView = printView;
    setAttribute(Qt::WA_OpaquePaintEvent, !printView);
    update();
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        child->update();
}

void TMovePanel::setFocusFrame(bool shown)
{
    if (shown == m_focusFrame)
        return;
    m_focusFrame = shown;
    update();
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        child->update();
}

QRect TMovePanel::moveHandleMark(const QSize &)
{
    return QRect(kHandleInset, kHandleInset, kHandleMark, kHandleMark);
}

QRect TMovePanel::sizeHandleMark(const QSize &panelSize)
{
    return QRect(panelSize.width() - kHandleInset - kHandleMark, panelSize.height() - kHandleInset - kHandleMark,
                 kHandleMark, kHandleMark);
}

void TMovePanel::paintCurrentMarks(QPainter &p, const QSize &panelSize, const QPoint &origin, const QPalette &palette)
{
    p.save();
    p.translate(origin);
    const QColor mark = palette.color(QPalette::Highlight);
    p.setPen(QPen(mark, 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(QPoint(0, 0), panelSize).adjusted(1, 1, -2, -2));
    p.fillRect(moveHandleMark(panelSize), mark);
    p.fillRect(sizeHandleMark(panelSize), mark);
    p.restore();
}

Qt::CursorShape TMovePanel::cursorShape(const QSize &size, const QPoint &client)
{
    switch (hitTest(size, client)) {
    case HTCAPTION:
        return Qt::SizeAllCursor;
    case HTBOTTOMRIGHT:
        return Qt::SizeFDiagCursor;
    case HTCLIENT:
        break;
    }
    return Qt::ArrowCursor;
}

void TMovePanel::showCursorFor(QWidget *widget, const QPoint &panelPoint) const
{
    const Qt::CursorShape shape = cursorShape(size(), panelPoint);
    if (shape == Qt::ArrowCursor)
        widget->unsetCursor();
    else
        widget->setCursor(shape);
}

void TMovePanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (m_printView) {
        // Not printed: a faint outline, so that an empty or white box is found.
        p.setPen(QPen(QColor(0, 0, 0, 48), 1, Qt::DotLine));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        if (m_focusFrame)
            paintCurrentMarks(p, size(), QPoint(0, 0), palette());
        return;
    }
    drawRaisedBevel(p, rect(), palette());
    if (m_qr) {
        p.setFont(font());
        QrDrawing::drawOnScreen(p, rect().adjusted(1, 1, -1, -1), *m_qr, m_textColor);
    } else if (!m_caption.isEmpty() && !m_setting.isDefault()) {
        // Set as it prints, inside the bevel; laid out again only when the
        // box changed, not for every repaint of a drag.
        const QRect inside = rect().adjusted(1, 1, -1, -1);
        const QString key = QStringLiteral("%1\x1f%2\x1f%3x%4\x1f%5,%6,%7,%8,%9,%10")
                                .arg(font().key())
                                .arg(m_caption.size())
                                .arg(inside.width())
                                .arg(inside.height())
                                .arg(int(m_setting.align))
                                .arg(m_setting.scaleX)
                                .arg(m_setting.scaleY)
                                .arg(m_setting.spacing)
                                .arg(m_setting.vertical)
                                .arg(m_setting.tcy)
                            + m_caption;
        if (key != m_laidKey) {
            // Characters far past the box's end are never seen: a caption of
            // thousands of characters costs no more than the box shows.
            const qsizetype shown = 4 * qsizetype(std::max(inside.width(), inside.height())) + 64;
            m_laid = CaptionLayout::lay(m_caption.left(shown), font(), m_setting, inside.size());
            m_laidKey = key;
        }
        m_laid.draw(p, inside.topLeft(), m_textColor);
    } else if (!m_caption.isEmpty()) {
        p.setFont(font());
        p.setPen(m_textColor);
        p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip, m_caption);
    }
    if (m_focusFrame)
        paintCurrentMarks(p, size(), QPoint(0, 0), palette());
}

bool TMovePanel::startDrag(QMouseEvent *event)
{
    const HitTestCode code = hitTest(size(), event->position().toPoint());
    if (code == HTCLIENT)
        return false;
    // A press in a handle belongs to the handle, whatever the button.
    if (event->button() == Qt::LeftButton) {
        m_drag = code == HTCAPTION ? Drag::Move : Drag::Size;
        m_pressScreen = event->globalPosition().toPoint();
        m_startGeometry = geometry();
        s_dragging = this;
        Q_EMIT dragStarted(m_drag == Drag::Size);
    }
    return true;
}

void TMovePanel::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (m_drag != Drag::None || startDrag(event))
        return;
    m_click.press(event->button());
    Q_EMIT mouseDown(event->button(), event->position().toPoint());
}

void TMovePanel::mouseMoveEvent(QMouseEvent *event)
{
    if (m_drag == Drag::None) {
        showCursorFor(this, event->position().toPoint());
        return;
    }
    const QPoint delta = event->globalPosition().toPoint() - m_pressScreen;
    QRect g = m_startGeometry;
    if (m_drag == Drag::Move) {
        g.moveTopLeft(m_startGeometry.topLeft() + delta);
    } else {
        g.setWidth(std::max(1, m_startGeometry.width() + delta.x()));
        g.setHeight(std::max(1, m_startGeometry.height() + delta.y()));
    }
    if (g != geometry()) {
        setGeometry(g);
        Q_EMIT boundsDragged(g);
    }
}

void TMovePanel::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_drag != Drag::None) {
        if (event->button() == Qt::LeftButton) {
            m_drag = Drag::None;
            s_dragging = nullptr;
            Q_EMIT dragFinished();
        }
        return;
    }
    if (m_click.release(event->button(), rect().contains(event->position().toPoint())))
        Q_EMIT clicked();
}

// ---------------------------------------------------------------------------

TImage::TImage(TMovePanel *panel) : QWidget(panel)
{
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    panel->installEventFilter(this);
    fillPanel();
}

TMovePanel *TImage::panel() const
{
    return static_cast<TMovePanel *>(parentWidget());
}

void TImage::fillPanel()
{
    setGeometry(panel()->rect().adjusted(1, 1, -1, -1));
}

bool TImage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        fillPanel();
    return QWidget::eventFilter(watched, event);
}

void TImage::setPicture(const QImage &picture)
{
    m_picture = picture;
    m_scaled = QPixmap();
    update();
}

void TImage::setPlaceholder(const QString &text)
{
    if (text == m_placeholder)
        return;
    m_placeholder = text;
    update();
}

void TImage::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!m_picture.isNull() && !panel()->printView()) {
        if (m_scaled.size() != size()) {
            // Scale once per size: the picture may be large, the box is small.
            m_scaled = QPixmap::fromImage(m_picture.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        }
        p.drawPixmap(0, 0, m_scaled);
    } else if (!m_placeholder.isEmpty()) {
        // The end of a long path holds the file's name and its fields: that part stays.
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine,
                   fontMetrics().elidedText(m_placeholder, Qt::ElideLeft, width()));
    }
    if (panel()->focusFrame())
        TMovePanel::paintCurrentMarks(p, panel()->size(), -pos(), panel()->palette());
}

bool TImage::inHandle(const QPoint &pos) const
{
    return TMovePanel::hitTest(panel()->size(), mapToParent(pos)) != HTCLIENT;
}

void TImage::mousePressEvent(QMouseEvent *event)
{
    if (inHandle(event->position().toPoint())) {
        event->ignore();   // the panel takes it, as a handle press
        return;
    }
    m_click.press(event->button());
    Q_EMIT mouseDown(event->button(), event->position().toPoint());
}

void TImage::mouseMoveEvent(QMouseEvent *event)
{
    if (panel()->dragging()) {
        event->ignore();   // a drag that started in a handle goes on in the panel
        return;
    }
    panel()->showCursorFor(this, mapToParent(event->position().toPoint()));
}

void TImage::mouseReleaseEvent(QMouseEvent *event)
{
    if (panel()->dragging()) {
        event->ignore();
        return;
    }
    if (m_click.release(event->button(), rect().contains(event->position().toPoint())))
        Q_EMIT clicked();
}
