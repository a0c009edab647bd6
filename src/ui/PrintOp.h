#pragma once
// TPrintSet: the print settings dialog for the margins and the cut guides.
#include <QDialog>

class TForm1;

class TPrintSet : public QDialog
{
    Q_OBJECT
public:
    explicit TPrintSet(TForm1 *mainWindow);

private:
    TForm1 *m_main;
};
