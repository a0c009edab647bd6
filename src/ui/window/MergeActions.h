#pragma once
// Merge printing in the program: the File menu item "差し込み印刷" runs the
// merge dialog; the list it loads stays loaded for the session, so the text
// box menu's "差し込みフィールド挿入" can offer its columns, and the card
// panel can show one row's values in place of the fields. The document is
// never changed by a merge: it keeps its field texts and saves them.
#include "merge/MergeList.h"
#include "merge/MergePlan.h"

#include <QImage>
#include <QObject>

#include <map>
#include <optional>
#include <vector>

class QAction;
class QMenu;
class TForm1;

class MergeActions : public QObject
{
    Q_OBJECT
public:
    // The item goes into fileMenu before before; the field item at the end
    // of textBoxMenu.
    MergeActions(TForm1 &form, QMenu *fileMenu, QAction *before, QMenu *textBoxMenu);

    QAction *MenuMerge = nullptr;
    QMenu *MenuInsertField = nullptr;   // one item per column of the loaded list

    TForm1 &form() const { return m_form; }

    // The loaded list, or null.
    const MergeList *list() const { return m_list ? &*m_list : nullptr; }
    const QString &listPath() const { return m_listPath; }
    // A new list: every row ticked, no row shown on the card.
    void setList(MergeList list, const QString &path);

    // The rows ticked for printing, by row.
    std::vector<bool> &ticks() { return m_ticks; }
    std::vector<int> tickedRows() const;

    MergeMode mode = MergeMode::Sheet;
    int copies = 1;

    // Shows row's values on the card panel (from 0), or the card's own
    // texts for −1.
    void showRow(int row);
    int shownRow() const { return m_shownRow; }

    // Puts "{name}" into the current text box's caption at the editor's
    // cursor, opening the editor when it is closed.
    void insertField(const QString &name);

private:
    void mergeClick();
    // The dialog opens beside the main window, so that the row it shows on
    // the card stays in sight.
    void placeBesideCard(QWidget &dialog) const;
    void fillFieldMenu();

    // The picture of a merged path for the card panel, loaded once; null
    // when it cannot be loaded.
    QImage shownPicture(const QString &path);

    TForm1 &m_form;
    std::optional<MergeList> m_list;
    std::map<QString, QImage> m_shownPictures;   // by path, for the rows looked at
    QString m_listPath;
    std::vector<bool> m_ticks;
    int m_shownRow = -1;
};
