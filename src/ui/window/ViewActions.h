#pragma once
// The View menu ("表示"): the print view of the card, its safety line, and
// zoom in whole steps, in both views. The print view shows the card as the
// sheet prints one card, on a grey pasteboard where what crosses the card's
// edge shows dimmed; boxes stay movable and editable over it. The print view
// and the safety line are remembered in the user's settings; the zoom is the
// session's.
#include "view/CardView.h"
#include "view/ViewScale.h"

#include <QObject>
#include <QSettings>

#include <QAction>
class QLabel;
class QMenu;
class QPainter;
class QToolButton;
class TForm1;

class ViewActions : public QObject
{
    Q_OBJECT
public:
    // The menu goes before helpMenu's place in the menu bar; the tool bar
    // button after the last one. settings: the user's unless a test gives its own.
    ViewActions(TForm1 &form, QAction *beforeHelp, QSettings *settings = nullptr);

    QAction *MenuPrintView = nullptr;
    QAction *MenuSafetyLine = nullptr;
    QAction *MenuZoomIn = nullptr;
    QAction *MenuZoomOut = nullptr;
    QAction *MenuActualSize = nullptr;
    QToolButton *PrintViewButton = nullptr;
    QLabel *Status = nullptr;   // the zoom when not 100 %, the merge row shown

    bool printView() const { return MenuPrintView->isChecked(); }
    int zoom() const { return m_zoom; }
    void setZoom(int percent);
    void setPrintView(bool on);

    // The merge row the card shows (from 0), or −1.
    void showMergeRow(int row);

    // The pasteboard's width at a density: 5 mm around the card.
    static int pasteboard(int dpi);
    // The card panel of the print view: the pasteboard, the card and, with
    // overlays, the card's edge and the safety line, drawn on painter.
    void paintPrintView(QPainter &painter, bool overlays);

private:
    void apply();
    // The print view changed: drawn again at the next paint.
    void redraw();
    void updateStatus();
    int viewDpi() const;

    TForm1 &m_form;
    QSettings m_userSettings;
    QSettings *m_settings;
    CardView m_cardView;
    // The print view as last drawn: a widget's painter in a scroll area
    // misplaces the decorations of drawn glyphs (underline, strike-out), an
    // image's does not; and an exposed window needs no new drawing.
    QImage m_printViewImage;
    bool m_printViewDirty = true;
    int m_zoom = 100;
    int m_mergeRow = -1;
};
