#include "window/MergeActions.h"

#include "base/Messages.h"
#include "base/TaveloError.h"
#include "card/FieldText.h"
#include "cardfile/CardFile.h"
#include "merge/MergeFields.h"
#include "picture/PictureLoader.h"
#include "widgets/BoxPanels.h"
#include "widgets/ErrorGuard.h"
#include "widgets/InlineEditor.h"
#include "widgets/WindowPlacement.h"
#include "window/Main.h"
#include "window/MergeDialog.h"
#include "window/ViewActions.h"

#include <QMenu>
#include <QScreen>

#include <exception>

MergeActions::MergeActions(TForm1 &form, QMenu *fileMenu, QAction *before, QMenu *textBoxMenu)
    : QObject(&form), m_form(form)
{
    setObjectName(QStringLiteral("MergeActions"));
    MenuMerge = new QAction(Msg::menuMerge(), fileMenu);
    MenuMerge->setObjectName(QStringLiteral("MenuMerge"));
    fileMenu->insertAction(before, MenuMerge);
    connect(MenuMerge, &QAction::triggered, this, [this] {
        try {
            mergeClick();
        } catch (const std::exception &e) {
            ErrorGuard::report(e);
        }
    });

    MenuInsertField = textBoxMenu->addMenu(Msg::menuInsertField());
    MenuInsertField->setObjectName(QStringLiteral("MenuInsertField"));
    connect(textBoxMenu, &QMenu::aboutToShow, this, &MergeActions::fillFieldMenu);
    fillFieldMenu();
}

void MergeActions::setList(MergeList list, const QString &path)
{
    m_list = std::move(list);
    m_listPath = path;
    m_ticks.assign(size_t(m_list->rowCount()), true);
    m_shownPictures.clear();
    showRow(-1);
    fillFieldMenu();
}

std::vector<int> MergeActions::tickedRows() const
{
    std::vector<int> rows;
    for (size_t row = 0; row < m_ticks.size(); ++row) {
        if (m_ticks[row])
            rows.push_back(int(row));
    }
    return rows;
}

void MergeActions::showRow(int row)
{
    if (!m_list || row < 0 || row >= m_list->rowCount())
        row = -1;
    m_shownRow = row;
    if (m_form.View)
        m_form.View->showMergeRow(row);
    if (row < 0) {
        m_form.boxPanels().setCaptionView({});
        m_form.boxPanels().setPictureView({});
        return;
    }
    const MergeList &list = *m_list;
    // As a print job fills them: no longer than a card's text.
    m_form.boxPanels().setCaptionView([&list, row](const QString &caption) {
        return FieldText::fill(caption, MergeFields::rowLookup(list, row), MaxCardTextLength, nullptr);
    });
    m_form.boxPanels().setPictureView([this, &list, row](const MoveImageRecord &record) {
        if (!MergeFields::hasFields(record.ImagePath))
            return record.Picture;
        bool cut = false;
        const QString path =
            FieldText::fill(record.ImagePath, MergeFields::rowLookup(list, row), MaxCardTextLength, &cut);
        return cut ? QImage() : shownPicture(path);
    });
}

QImage MergeActions::shownPicture(const QString &path)
{
    // Looking through many rows keeps only a few dozen photos.
    constexpr size_t Kept = 32;
    if (const auto found = m_shownPictures.find(path); found != m_shownPictures.end())
        return found->second;
    if (m_shownPictures.size() >= Kept)
        m_shownPictures.clear();
    QImage picture;
    try {
        picture = PictureLoader::load(path);
    } catch (const TaveloError &) {
        // The card shows the box empty; the print job names the path.
    }
    m_shownPictures.emplace(path, picture);
    return picture;
}

void MergeActions::insertField(const QString &name)
{
    const BoxRef current = m_form.document().CurrentBox();
    if (!current.isText() || !m_form.document().TextBoxes(current.slot))
        return;
    if (!m_form.editorOpen()) {
        m_form.MovePanelClick(current.slot);
        m_form.Edit1->end(false);
    }
    m_form.Edit1->insert(QLatin1Char('{') + name + QLatin1Char('}'));
}

void MergeActions::mergeClick()
{
    m_form.closeEditor();
    MergeDialog dialog(*this);
    placeBesideCard(dialog);
    dialog.exec();
    // A row is shown while the dialog is open; afterwards the card is the design.
    showRow(-1);
}

void MergeActions::placeBesideCard(QWidget &dialog) const
{
    const QScreen *screen = m_form.screen();
    if (!screen)
        return;
    const QMargins margins = WindowPlacement::frameMargins(&dialog, &m_form);
    const QRect frame = WindowPlacement::beside(m_form.frameGeometry(), dialog.size().grownBy(margins),
                                                screen->availableGeometry());
    dialog.resize(frame.size().shrunkBy(margins));
    dialog.move(frame.topLeft());
}

void MergeActions::fillFieldMenu()
{
    MenuInsertField->clear();
    if (!m_list) {
        QAction *none = MenuInsertField->addAction(Msg::menuNoMergeList());
        none->setEnabled(false);
        return;
    }
    for (const QString &column : m_list->columns()) {
        QAction *item = MenuInsertField->addAction(QString(column).replace(QLatin1Char('&'), QStringLiteral("&&")));
        connect(item, &QAction::triggered, this, [this, column] {
            try {
                insertField(column);
            } catch (const std::exception &e) {
                ErrorGuard::report(e);
            }
        });
    }
}
