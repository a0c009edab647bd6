#pragma once
// The rows of a merge list for a table view: a tick column ("印刷"), then
// one column per list column. The ticks are the session's; the list is
// read, never copied, so a list of 100 000 rows shows at once.
#include <QAbstractTableModel>

#include <vector>

class MergeList;

class MergeRowsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    MergeRowsModel(QObject *parent, std::vector<bool> &ticks);

    // A new list (or null); the ticks must already match its rows.
    void setList(const MergeList *list);
    void tickAll(bool ticked);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

Q_SIGNALS:
    void ticksChanged();

private:
    const MergeList *m_list = nullptr;
    std::vector<bool> &m_ticks;
};
