#include "window/ShapeActions.h"

#include "base/Messages.h"
#include "card/FieldText.h"
#include "dialogs/BackgroundDialog.h"
#include "dialogs/ShapeDialog.h"
#include "picture/PictureLoader.h"
#include "widgets/BoxPanels.h"
#include "widgets/CardPanel.h"
#include "widgets/ErrorGuard.h"
#include "window/Main.h"
#include "window/MenuItems.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <exception>

namespace {

// Distance of p from the segment a–b, in card pixels.
double distanceToSegment(QPointF p, QPointF a, QPointF b)
{
    const QPointF ab = b - a;
    const double length = QPointF::dotProduct(ab, ab);
    double t = length > 0 ? QPointF::dotProduct(p - a, ab) / length : 0;
    t = std::clamp(t, 0.0, 1.0);
    const QPointF nearest = a + t * ab;
    return std::hypot(p.x() - nearest.x(), p.y() - nearest.y());
}
} // namespace

ShapeActions::ShapeActions(TForm1 &form, QMenu *editMenu) : QObject(&form), m_form(form)
{
    setObjectName(QStringLiteral("ShapeActions"));
    MenuBackground =
        addMenuItem(editMenu, "MenuBackground", Msg::menuBackground(), this, [this] { backgroundClick(); });
    MenuAddLine = addMenuItem(editMenu, "MenuAddLine", Msg::menuAddLine(), this, [this] { addClick(ShapeKind::Line); });
    MenuAddRectangle = addMenuItem(editMenu, "MenuAddRectangle", Msg::menuAddRectangle(), this,
                                   [this] { addClick(ShapeKind::Rectangle); });

    PopupMenu3 = new QMenu(&form);
    PopupMenu3->setObjectName(QStringLiteral("PopupMenu3"));
    addMenuItem(PopupMenu3, "MenuShapeProperties", Msg::menuShapeProperties(), this,
                [this] { editShape(m_menuShape); });
    addMenuItem(PopupMenu3, "MenuShapeToFront", Msg::menuShapeToFront(), this,
                [this] { m_form.history().raiseShape(m_menuShape); });
    addMenuItem(PopupMenu3, "MenuShapeToBack", Msg::menuShapeToBack(), this,
                [this] { m_form.history().lowerShape(m_menuShape); });
    PopupMenu3->addSeparator();
    addMenuItem(PopupMenu3, "MenuShapeDelete", Msg::menuShapeDelete(), this,
                [this] { m_form.history().deleteBox(BoxRef::shape(m_menuShape)); });
}

void ShapeActions::watchPanel()
{
    m_panel = m_form.Panel1;
    m_panel->installEventFilter(this);
    // The pointer shows a handle before the button goes down.
    m_form.Panel1->setMouseTracking(true);
    m_form.Panel1->setOverlay([this](QPainter &p) { paintCurrent(p); });
    connect(&m_form.document(), &CardDocument::currentBoxChanged, m_form.Panel1, qOverload<>(&QWidget::update));
    // Escape is the window's key only while a shape is current: the menu bar
    // and the editor keep theirs otherwise.
    m_leave = new QShortcut(QKeySequence(Qt::Key_Escape), &m_form);
    m_leave->setObjectName(QStringLiteral("LeaveShape"));
    m_leave->setEnabled(false);
    connect(m_leave, &QShortcut::activated, this, [this] {
        if (!m_drag && !m_form.editorOpen() && currentShape())
            m_form.document().SetCurrentBox({});
    });
    connect(&m_form.document(), &CardDocument::currentBoxChanged, this,
            [this] { m_leave->setEnabled(currentShape().has_value()); });
}

std::optional<int> ShapeActions::shapeAt(const CardDocument &doc, QPoint card, int slack)
{
    const QList<CardShape> &shapes = doc.shapes();
    // What is drawn under the point counts first: a line, a filled rectangle,
    // a border. The inside of a rectangle without fill comes after, so that a
    // rule within a frame can be taken, and the frame still by its middle.
    std::optional<int> insideEmpty;
    for (qsizetype n = shapes.size() - 1; n >= 0; --n) {
        const CardShape &shape = shapes.at(n);
        // Half the width in card pixels of the screen (254 tenths to the inch).
        const double half = shape.widthTenths * doc.screenPpi() / 508.0;
        if (shape.isLine()) {
            if (distanceToSegment(card, QPointF(shape.x1, shape.y1), QPointF(shape.x2, shape.y2)) <= half + slack)
                return int(n);
            continue;
        }
        const bool inside = card.x() >= shape.left() - slack && card.x() <= shape.right() + slack
                            && card.y() >= shape.top() - slack && card.y() <= shape.bottom() + slack;
        if (!inside)
            continue;
        // The border lies inside the edges, its whole width.
        const double border = 2 * half + slack;
        const bool onBorder = card.x() <= shape.left() + border || card.x() >= shape.right() - border
                              || card.y() <= shape.top() + border || card.y() >= shape.bottom() - border;
        if (shape.fill || onBorder)
            return int(n);
        if (!insideEmpty)
            insideEmpty = int(n);
    }
    return insideEmpty;
}

std::optional<int> ShapeActions::handleAt(const CardShape &shape, const ViewScale &scale, QPoint screen)
{
    // The last handle drawn lies on top where two overlap.
    for (int n = shape.handleCount() - 1; n >= 0; --n) {
        const QPoint at = scale.toScreen(shape.handle(n));
        if (std::abs(at.x() - screen.x()) <= HandleReach && std::abs(at.y() - screen.y()) <= HandleReach)
            return n;
    }
    return std::nullopt;
}

void ShapeActions::paintMarks(QPainter &p, const CardShape &shape, const ViewScale &scale, double halfWidth,
                              const QPalette &palette)
{
    const QColor mark = palette.color(QPalette::Highlight);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    QRect frame(scale.toScreen(QPoint(shape.left(), shape.top())),
                scale.toScreen(QPoint(shape.right(), shape.bottom())));
    if (shape.isLine()) {
        // Around the stroke, which stands half its width either side of the ends.
        const int grow = int(std::ceil(halfWidth)) + 2;
        frame.adjust(-grow, -grow, grow, grow);
    } else {
        frame.adjust(0, 0, -1, -1);
    }
    p.setPen(QPen(mark, 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(frame);
    // Squares with a white edge: seen over any colour of the card.
    constexpr int Side = 7;
    for (int n = 0; n < shape.handleCount(); ++n) {
        QRect square(0, 0, Side, Side);
        square.moveCenter(scale.toScreen(shape.handle(n)));
        p.fillRect(square, Qt::white);
        p.fillRect(square.adjusted(1, 1, -1, -1), mark);
    }
    p.restore();
}

std::optional<int> ShapeActions::currentShape() const
{
    const CardDocument &doc = m_form.document();
    const BoxRef current = doc.CurrentBox();
    if (!current.isShape() || current.slot < 0 || current.slot >= doc.shapes().size())
        return std::nullopt;
    return current.slot;
}

void ShapeActions::paintCurrent(QPainter &p) const
{
    const std::optional<int> current = currentShape();
    if (!current)
        return;
    const CardDocument &doc = m_form.document();
    const ViewScale &scale = m_form.boxPanels().scale();
    const CardShape &shape = doc.shapes().at(*current);
    const double halfWidth = scale.percent() / 100.0 * shape.widthTenths * doc.screenPpi() / 508.0;
    paintMarks(p, shape, scale, halfWidth, m_form.Panel1->palette());
}

void ShapeActions::showCursor(QPoint screen)
{
    const std::optional<int> current = currentShape();
    const CardShape *shape = current ? &m_form.document().shapes().at(*current) : nullptr;
    const std::optional<int> handle = shape ? handleAt(*shape, m_form.boxPanels().scale(), screen) : std::nullopt;
    if (!handle) {
        m_form.Panel1->unsetCursor();
        return;
    }
    if (!shape->isLine())
        m_form.Panel1->setCursor(*handle % 2 == 0 ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor);
    else if (shape->direction == LineDirection::Horizontal)
        m_form.Panel1->setCursor(Qt::SizeHorCursor);
    else if (shape->direction == LineDirection::Vertical)
        m_form.Panel1->setCursor(Qt::SizeVerCursor);
    else
        m_form.Panel1->setCursor(Qt::SizeAllCursor);
}

bool ShapeActions::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_panel)
        return false;
    switch (event->type()) {
    case QEvent::ContextMenu:
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        break;
    default:
        return false;
    }
    try {
        return panelEvent(event);
    } catch (const std::exception &e) {
        m_drag.reset();
        ErrorGuard::report(e);
        return true;
    }
}

bool ShapeActions::panelEvent(QEvent *event)
{
    CardDocument &doc = m_form.document();
    const ViewScale &scale = m_form.boxPanels().scale();
    const auto cardPoint = [&](QPoint screen) { return scale.toCard(screen); };
    const int slack = std::max<int>(1, int(scale.toCard(2)));
    if (event->type() == QEvent::ContextMenu) {
        const auto *menu = static_cast<QContextMenuEvent *>(event);
        const std::optional<int> shape = shapeAt(doc, cardPoint(menu->pos()), slack);
        if (!shape)
            return false;
        m_menuShape = *shape;
        doc.SetCurrentBox(BoxRef::shape(*shape));
        PopupMenu3->exec(menu->globalPos());
        return true;
    }
    const auto *mouse = static_cast<QMouseEvent *>(event);
    const QPoint screen = mouse->position().toPoint();
    if (event->type() == QEvent::MouseButtonPress) {
        if (mouse->button() != Qt::LeftButton || m_drag)
            return false;
        const QPoint card = cardPoint(screen);
        // The current shape's handles come first: they may lie over another shape.
        const std::optional<int> current = currentShape();
        std::optional<int> handle;
        if (current)
            handle = handleAt(doc.shapes().at(*current), scale, screen);
        const std::optional<int> shape = handle ? current : shapeAt(doc, card, slack);
        if (!shape) {
            // A press on the empty card leaves the shape; the card's own click follows.
            if (current)
                doc.SetCurrentBox({});
            return false;
        }
        doc.SetCurrentBox(BoxRef::shape(*shape));
        m_drag = std::make_unique<ShapeDrag>(m_form.history(), *shape, handle, card);
        return true;
    }
    if (event->type() == QEvent::MouseMove) {
        if (!m_drag) {
            showCursor(screen);
            return false;
        }
        m_drag->moveTo(cardPoint(screen));
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease && m_drag) {
        if (mouse->button() == Qt::LeftButton)
            m_drag.reset();
        return true;
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (const std::optional<int> shape = shapeAt(doc, cardPoint(screen), slack)) {
            editShape(*shape);
            return true;
        }
    }
    return false;
}

void ShapeActions::editShape(int index)
{
    CardDocument &doc = m_form.document();
    if (index < 0 || index >= doc.shapes().size())
        return;
    ShapeDialog dialog(doc.shapes().at(index), &m_form);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_form.history().setShape(index, dialog.shape());
}

void ShapeActions::backgroundClick()
{
    CardDocument &doc = m_form.document();
    BackgroundDialog dialog(doc.background(), &m_form);
    if (dialog.exec() != QDialog::Accepted)
        return;
    CardBackground chosen = dialog.background();
    // A path with fields is filled by each merge row; any other is loaded
    // now, and a picture that cannot be is reported and nothing changes.
    if (!chosen.picturePath.isEmpty() && chosen.picture.isNull()
        && !FieldText::isPicturePlaceholder(chosen.picturePath))
        chosen.picture = PictureLoader::load(chosen.picturePath);
    m_form.history().setBackground(chosen);
}

void ShapeActions::addClick(ShapeKind kind)
{
    CardDocument &doc = m_form.document();
    CardShape shape;
    shape.kind = kind;
    if (kind == ShapeKind::Line) {
        // A rule across the card's middle, 0.3 mm wide.
        shape.direction = LineDirection::Horizontal;
        shape.x1 = 20;
        shape.y1 = 104;
        shape.x2 = 324;
        shape.y2 = 104;
        shape.widthTenths = 3;
    } else {
        shape.x1 = 20;
        shape.y1 = 20;
        shape.x2 = 120;
        shape.y2 = 80;
        shape.widthTenths = 3;
    }
    const int index = m_form.history().addShape(shape);
    if (index >= 0)
        doc.SetCurrentBox(BoxRef::shape(index));
}
