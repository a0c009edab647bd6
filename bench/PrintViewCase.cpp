// The print view: the largest card opened in the main window, offscreen, in
// the print view at 400 %. A repaint draws the whole card through the sheet's
// renderer (the captions shaped, the pictures as kept from the last paint);
// a drag step is one mouse move on a text box's size handle and the repaint
// it causes; a switch is the view turned on (or off) and painted once.
#include "Cases.h"

#include "BenchCard.h"
#include "BenchWindow.h"
#include "Measure.h"
#include "ResultTable.h"
#include "dialogs/Dialogs.h"
#include "widgets/CardPanel.h"
#include "widgets/MovePanel.h"
#include "window/Main.h"
#include "window/ViewActions.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int Repaints = 50;
constexpr int DragSteps = 200;
constexpr int Switches = 20;
// How far each may be from what it must at least do (measured in the same run).
constexpr double RepaintTargetRatio = 20;
constexpr double StepTargetRatio = 5;
constexpr double SwitchTargetRatio = 7;

using BenchWindow::CardChoice;
using BenchWindow::sendMouse;

void settle()
{
    BenchWindow::processEventsFor(50);
}

double seconds(const QElapsedTimer &timer, int count)
{
    return double(timer.nsecsElapsed()) / 1e9 / count;
}

} // namespace

void printViewCase(const BenchSetup &setup, ResultTable &table)
{
    CardChoice choice(setup.largestCard);
    TForm1 form{BenchCard::ScreenPpi};
    form.setFileDialogs(&choice);
    form.show();
    settle();
    form.MenuOpenClick();
    const bool printViewBefore = form.View->printView();   // the user's setting, put back below
    form.View->setPrintView(true);
    form.View->setZoom(400);
    settle();

    std::vector<double> repaint, drag, switching, blit, still;
    QImage target(form.Panel1->size(), QImage::Format_ARGB32_Premultiplied);
    // The least a repaint of the card does: every pixel of the panel written
    // once from a picture of it.
    QImage whole(form.Panel1->size(), QImage::Format_ARGB32_Premultiplied);
    whole.fill(Qt::white);
    for (int run = 0; run < setup.runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        for (int n = 0; n < Repaints; ++n) {
            QPainter painter(&target);
            painter.drawImage(0, 0, whole);
        }
        blit.push_back(seconds(timer, Repaints));
        // A repaint of the panel with nothing changed: what a drag step or
        // a switch must at least do.
        timer.restart();
        for (int n = 0; n < Repaints; ++n)
            form.Panel1->repaint();
        still.push_back(seconds(timer, Repaints));

        timer.restart();
        for (int n = 0; n < Repaints; ++n) {
            QPainter painter(&target);
            form.View->paintPrintView(painter, true);
        }
        repaint.push_back(seconds(timer, Repaints));

        TMovePanel *panel = form.textPanel(0);
        const QPoint handle = panel->mapToGlobal(QPoint(panel->width() - 2, panel->height() - 2));
        sendMouse(panel, QEvent::MouseButtonPress, handle, Qt::LeftButton, Qt::LeftButton);
        timer.restart();
        for (int step = 1; step <= DragSteps; ++step) {
            sendMouse(panel, QEvent::MouseMove, handle + QPoint(step % 40, step % 24), Qt::NoButton, Qt::LeftButton);
            form.Panel1->repaint();
        }
        drag.push_back(seconds(timer, DragSteps));
        sendMouse(panel, QEvent::MouseButtonRelease, handle, Qt::LeftButton, Qt::NoButton);

        timer.restart();
        for (int n = 0; n < Switches; ++n) {
            form.View->setPrintView(n % 2 == 1);
            form.Panel1->repaint();
        }
        switching.push_back(seconds(timer, Switches));
        form.View->setPrintView(true);
    }
    form.View->setPrintView(printViewBefore);
    form.View->setZoom(100);
    form.document().SetModified(false);   // nothing to ask on closing

    table.section(QStringLiteral("7. Print view of the largest card at 400 %, offscreen"));
    table.ratio(QStringLiteral("repaint of the whole card, against writing the panel's pixels once"), median(repaint),
                median(blit), RepaintTargetRatio);
    table.ratio(QStringLiteral("live drag step (move, repaint), against a repaint with nothing changed"), median(drag),
                median(still), StepTargetRatio);
    table.ratio(QStringLiteral("switching views (and painting), against a repaint with nothing changed"), median(switching),
                median(still), SwitchTargetRatio);
}
