// Live resize: the main window with a card opened, offscreen, and a drag of a
// text box's size handle made of real mouse events. Each step is the panel's
// move handler, the document's resize (the font height follows the height),
// the window's resize handler, the new font on the panel and the repaint of
// the card where the box stood and stands.
#include "Cases.h"

#include "BenchCard.h"
#include "BenchWindow.h"
#include "Measure.h"
#include "ResultTable.h"
#include "dialogs/Dialogs.h"
#include "widgets/CardPanel.h"
#include "widgets/MovePanel.h"
#include "window/Main.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>

#include <memory>

namespace {

constexpr int Steps = 1000;
constexpr int DraggedSlot = 0;   // a Japanese caption in bold Mincho
// A step also goes through the document, the font-height rule and the
// window's handlers, and repaints the pictures under the box.
constexpr double StepTargetRatio = 4;

using BenchWindow::CardChoice;
using BenchWindow::processEventsFor;
using BenchWindow::sendMouse;

// The main window as the user has it after opening the card.
struct OpenedCard {
    CardChoice choice;
    TForm1 form{BenchCard::ScreenPpi};

    explicit OpenedCard(const QString &card) : choice(card)
    {
        form.setFileDialogs(&choice);
        form.show();
        processEventsFor(50);   // shown, first activation run
        form.MenuOpenClick();
        processEventsFor(50);   // painted
    }
};

// Back and forth, 100 pixels higher and 50 wider and back, every step a new
// size and so a new font height.
QPoint dragOffset(int step)
{
    const int phase = step % 200;
    const int grow = phase <= 100 ? phase : 200 - phase;
    return {grow / 2 + (step % 2), grow == 0 ? 1 : grow};
}

// Seconds per step of one drag of Steps steps.
double dragSeconds(OpenedCard &card)
{
    TMovePanel *panel = card.form.textPanel(DraggedSlot);
    QWidget *surface = card.form.Panel1;
    const QPoint handle = panel->mapToGlobal(QPoint(panel->width() - 2, panel->height() - 2));
    sendMouse(panel, QEvent::MouseButtonPress, handle, Qt::LeftButton, Qt::LeftButton);
    QElapsedTimer timer;
    timer.start();
    for (int step = 1; step <= Steps; ++step) {
        const QRect before = panel->geometry();
        sendMouse(panel, QEvent::MouseMove, handle + dragOffset(step), Qt::NoButton, Qt::LeftButton);
        surface->repaint(before.united(panel->geometry()));
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9 / Steps;
    sendMouse(panel, QEvent::MouseButtonRelease, handle + dragOffset(Steps), Qt::LeftButton, Qt::NoButton);
    return seconds;
}

// The least a step does, by Qt alone: a label of the box's size and
// caption given a font of a new height, resized and repainted, 1000 times
// as the drag does.
double bareStepSeconds(OpenedCard &card)
{
    TMovePanel *panel = card.form.textPanel(DraggedSlot);
    QLabel label(card.form.document().TextBoxes(DraggedSlot)->Caption);
    label.setFont(panel->font());
    label.resize(panel->size());
    label.show();
    processEventsFor(50);   // shown and exposed: a repaint paints
    QFont font = panel->font();
    const int pixels = std::max(8, font.pixelSize() > 0 ? font.pixelSize() : 16);
    QElapsedTimer timer;
    timer.start();
    for (int step = 1; step <= Steps; ++step) {
        const QPoint grow = dragOffset(step);
        font.setPixelSize(pixels + grow.y() / 2);
        label.setFont(font);
        label.resize(panel->size() + QSize(grow.x(), grow.y()));
        label.repaint();
    }
    return double(timer.nsecsElapsed()) / 1e9 / Steps;
}

} // namespace

void liveResizeCase(const BenchSetup &setup, ResultTable &table)
{
    OpenedCard largest(setup.largestCard);
    OpenedCard half(setup.halfCard);
    dragSeconds(largest);   // untimed: the fonts of every height are made once
    dragSeconds(half);
    std::vector<double> largestSteps, halfSteps, still;
    for (int run = 0; run < setup.runs; ++run) {
        still.push_back(bareStepSeconds(largest));
        largestSteps.push_back(dragSeconds(largest));
        halfSteps.push_back(dragSeconds(half));
    }
    table.section(QStringLiteral("4. Live resize, 1000 steps of a size-handle drag, offscreen"));
    table.ratio(QStringLiteral("time per step, against a Qt label given the new font and size"), median(largestSteps),
                median(still), StepTargetRatio);
    table.section(QStringLiteral("growth of the live resize (twice the load; linear is x2)"));
    table.doubling(QStringLiteral("step, 10+10 -> 20+20 boxes"), median(halfSteps), median(largestSteps));
}
