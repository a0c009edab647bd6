#pragma once
// TMovePanel: the panel every box on the card is made of. Its top-left corner
// is a move handle and its bottom-right corner a size handle; dragging either
// with the left button moves or sizes the box inside the card panel. Presses in
// a handle raise no mouse-down and no click of the box. The pointer takes the
// move or size shape over a handle, and the current box shows its handles as
// small filled squares.
#include "card/TextSetting.h"
#include "qr/QrSymbol.h"
#include "text/CaptionLayout.h"

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <optional>

class QPainter;

enum HitTestCode { HTCLIENT = 1, HTCAPTION = 2, HTBOTTOMRIGHT = 17 };

// A left press in the body of a box and its release inside make a click.
class ClickTracker
{
public:
    void press(Qt::MouseButton button) { m_leftPressed = button == Qt::LeftButton; }
    // True when this release completes a click.
    bool release(Qt::MouseButton button, bool inside)
    {
        const bool click = m_leftPressed && button == Qt::LeftButton && inside;
        m_leftPressed = false;
        return click;
    }

private:
    bool m_leftPressed = false;
};

class TMovePanel : public QWidget
{
    Q_OBJECT
public:
    explicit TMovePanel(QWidget *parent = nullptr);
    ~TMovePanel() override;

    // What part of a box of the given size lies at a client point.
    static HitTestCode hitTest(const QSize &size, const QPoint &client);
    // The same for a screen point, converted to this box's client coordinates.
    HitTestCode WMNCHitTest(const QPoint &screen) const;

    void setCaption(const QString &caption);
    const QString &caption() const { return m_caption; }
    void setTextColor(const QColor &color);
    // How the caption is set (the bevelled view sets a plain caption centred).
    void setTextSetting(const TextSetting &setting);

    // Ends a drag in progress (the error guard calls this when a handler fails).
    static void cancelActiveDrag();
    bool dragging() const { return m_drag != Drag::None; }

    // The pointer shape over a point of a box of the given size.
    static Qt::CursorShape cursorShape(const QSize &size, const QPoint &client);
    // Gives widget (this panel or a control on it) the shape for a point in
    // this panel's coordinates.
    void showCursorFor(QWidget *widget, const QPoint &panelPoint) const;

    // The print view: the card under the panel shows the box as printed, so
    // the panel draws only a faint outline (to find an empty or white box)
    // and, when current, its frame and handles; a picture control shows nothing.
    void setPrintView(bool printView);
    bool printView() const { return m_printView; }

    // The current box, the one the keys act on: a thin frame inside the bevel
    // and its two handles. Only the screen shows them.
    void setFocusFrame(bool shown);
    bool focusFrame() const { return m_focusFrame; }
    // Paints the frame and the handles of a box of panelSize; origin is the
    // panel's top-left corner in the painter's coordinates.
    static void paintCurrentMarks(QPainter &p, const QSize &panelSize, const QPoint &origin, const QPalette &palette);
    // The filled squares drawn inside the move and the size handle.
    static QRect moveHandleMark(const QSize &panelSize);
    static QRect sizeHandleMark(const QSize &panelSize);

Q_SIGNALS:
    void clicked();
    void mouseDown(Qt::MouseButton button, const QPoint &pos);
    // The user moved or sized the box by a handle; the panel already stands there.
    void boundsDragged(const QRect &geometry);
    // A drag by a handle begins (resizing: by the size handle) and ends.
    void dragStarted(bool resizing);
    void dragFinished();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    enum class Drag { None, Move, Size };
    bool startDrag(QMouseEvent *event);

    QString m_caption;
    TextSetting m_setting;
    // The caption as last laid out for a set box, and what it was laid out for.
    CaptionLayout m_laid;
    QString m_laidKey;
    std::optional<QrSymbol> m_qr;   // the code a "QR:" caption asks for
    QColor m_textColor = Qt::black;
    Drag m_drag = Drag::None;
    QPoint m_pressScreen;
    QRect m_startGeometry;
    ClickTracker m_click;
    bool m_focusFrame = false;
    bool m_printView = false;
    static TMovePanel *s_dragging;
};

// TImage: the picture control inside an image box. It fills the panel inside
// its bevel and draws the picture stretched; presses in the panel's handles go
// to the panel.
class TImage : public QWidget
{
    Q_OBJECT
public:
    explicit TImage(TMovePanel *panel);
    void setPicture(const QImage &picture);
    const QImage &picture() const { return m_picture; }
    // Text shown where there is no picture: the path of a placeholder box
    // (one with merge fields), drawn as a caption is; empty: none.
    void setPlaceholder(const QString &text);
    const QString &placeholder() const { return m_placeholder; }
    // The rectangle the picture is drawn into, in the panel's coordinates.
    QRect pictureRect() const { return geometry(); }

Q_SIGNALS:
    void clicked();
    void mouseDown(Qt::MouseButton button, const QPoint &pos);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    TMovePanel *panel() const;
    bool inHandle(const QPoint &pos) const;
    void fillPanel();

    QImage m_picture;
    QString m_placeholder;
    QPixmap m_scaled;   // the picture at the current size, made once per size
    ClickTracker m_click;
};
