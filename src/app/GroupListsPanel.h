#pragma once

#include "app/Pools.h"

#include <QWidget>

#include <array>

class QListWidget;

namespace corvanta {

// The sixteen group lists of a class, List_group_0..15 (index = group number), in two rows
// of eight. The lists themselves hold the grouping: filled when a class is chosen, read
// back when it is uploaded.
class GroupListsPanel : public QWidget
{
    Q_OBJECT
public:
    explicit GroupListsPanel(QWidget *parent = nullptr);

    void setGroups(const std::array<QStringList, GroupCount> &groups);
    std::array<QStringList, GroupCount> groups() const;
    void clearGroups();

signals:
    // A name was double-clicked in a group list: the student to score.
    void namePicked(const QString &name);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QListWidget *List_group[GroupCount] = {};
};

} // namespace corvanta
