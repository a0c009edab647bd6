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

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>
#include <exception>

namespace {
template <typename Handler>
QAction *addItem(QMenu *menu, const char *name, const QString &caption, QObject *receiver, Handler handler)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    QObject::connect(action, &QAction::triggered, receiver, [handler] {
        try {
            handler();
        } catch (const std::exception &e) {
            ErrorGuard::report(e);
        }
    });
    return action;
}

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
    MenuBackground = addItem(editMenu, "MenuBackground", Msg::menuBackground(), this, [this] { backgroundClick(); });
    MenuAddLine = addItem(editMenu, "MenuAddLine", Msg::menuAddLine(), this, [this] { addClick(ShapeKind::Line); });
    MenuAddRectangle =
        addItem(editMenu, "MenuAddRectangle", Msg::menuAddRectangle(), this, [this] { addClick(ShapeKind::Rectangle); });

    PopupMenu3 = new QMenu(&form);
    PopupMenu3->setObjectName(QStringLiteral("PopupMenu3"));
    addItem(PopupMenu3, "MenuShapeProperties", Msg::menuShapeProperties(), this, [this] { editShape(m_menuShape); });
    addItem(PopupMenu3, "MenuShapeToFront", Msg::menuShapeToFront(), this,
            [this] { m_form.history().raiseShape(m_menuShape); });
    addItem(PopupMenu3, "MenuShapeToBack", Msg::menuShapeToBack(), this,
            [this] { m_form.history().lowerShape(m_menuShape); });
    PopupMenu3->addSeparator();
    addItem(PopupMenu3, "MenuShapeDelete", Msg::menuShapeDelete(), this,
            [this] { m_form.history().deleteBox(BoxRef::shape(m_menuShape)); });
}

void ShapeActions::watchPanel()
{
    m_panel = m_form.Panel1;
    m_panel->installEventFilter(this);
}

std::optional<int> ShapeActions::shapeAt(const CardDocument &doc, QPoint card, int slack)
{
    const QList<CardShape> &shapes = doc.shapes();
    for (qsizetype n = shapes.size() - 1; n >= 0; --n) {
        const CardShape &shape = shapes.at(n);
        // Half the width in card pixels of the screen (254 tenths to the inch).
        const double half = shape.widthTenths * doc.screenPpi() / 508.0;
        if (shape.isLine()) {
            if (distanceToSegment(card, QPointF(shape.x1, shape.y1), QPointF(shape.x2, shape.y2)) <= half + slack)
                return int(n);
        } else if (card.x() >= shape.left() - slack && card.x() <= shape.right() + slack
                   && card.y() >= shape.top() - slack && card.y() <= shape.bottom() + slack) {
            return int(n);
        }
    }
    return std::nullopt;
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
        const ViewScale &scale = m_form.boxPanels().scale();
        const auto cardPoint = [&](QPoint screen) { return scale.toCard(screen); };
        const int slack = std::max<int>(1, int(scale.toCard(2)));
        CardDocument &doc = m_form.document();
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
        if (event->type() == QEvent::MouseButtonPress) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() != Qt::LeftButton)
                return false;
            const QPoint card = cardPoint(mouse->position().toPoint());
            const std::optional<int> shape = shapeAt(doc, card, slack);
            if (!shape)
                return false;
            doc.SetCurrentBox(BoxRef::shape(*shape));
            m_dragFrom = card;
            m_dragged = false;
            m_form.history().beginStep(Msg::stepMove());
            return true;
        }
        if (event->type() == QEvent::MouseMove && m_dragFrom) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            const QPoint card = cardPoint(mouse->position().toPoint());
            const BoxRef current = doc.CurrentBox();
            if (current.isShape() && current.slot < doc.shapes().size() && card != *m_dragFrom) {
                const QPoint delta = card - *m_dragFrom;
                doc.setShape(current.slot, doc.shapes().at(current.slot).movedBy(delta.x(), delta.y()));
                m_dragFrom = card;
                m_dragged = true;
            }
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease && m_dragFrom) {
            m_dragFrom.reset();
            m_form.history().endStep();
            return true;
        }
        if (event->type() == QEvent::MouseButtonDblClick) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (const std::optional<int> shape = shapeAt(doc, cardPoint(mouse->position().toPoint()), slack)) {
                editShape(*shape);
                return true;
            }
        }
    } catch (const std::exception &e) {
        if (m_dragFrom) {
            m_dragFrom.reset();
            m_form.history().endStep();
        }
        ErrorGuard::report(e);
        return true;
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
