#pragma once
// The print settings dialog's paper choice: the standard sheet, ten-up A4
// paper, or a custom grid of columns, rows, origin and pitch in tenths of a
// millimetre, checked to fit on A4 paper as the user changes it.
#include "card/PaperLayout.h"

#include <QFrame>

#include <optional>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;

class PaperLayoutBox : public QFrame
{
    Q_OBJECT
public:
    static constexpr int BoxHeight = 148;   // pixels at 96 PPI

    explicit PaperLayoutBox(QWidget *parent);

    void setPaperLayout(const PaperLayout &layout);
    PaperLayout paperLayout() const;
    // Why the chosen layout cannot be printed on the reference paper, or nothing.
    std::optional<QString> problem() const;

    QComboBox *Choice = nullptr;
    QSpinBox *Columns = nullptr;
    QSpinBox *Rows = nullptr;
    QDoubleSpinBox *OriginX = nullptr;
    QDoubleSpinBox *OriginY = nullptr;
    QDoubleSpinBox *PitchX = nullptr;
    QDoubleSpinBox *PitchY = nullptr;
    QLabel *Status = nullptr;

private:
    void showFields(const PaperLayout &layout);
    void choiceChanged();
    void updateStatus();

    bool m_showing = false;
};
