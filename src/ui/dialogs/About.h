#pragma once
// TAboutBox: the program's name, version and icon.
#include "widgets/WindowPlacement.h"

#include <QDialog>

class QPushButton;

class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);
    QPushButton *OKButton = nullptr;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    RememberedPlace m_place;
};
