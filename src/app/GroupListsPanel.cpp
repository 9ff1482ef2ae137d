#include "GroupListsPanel.h"

#include <QListWidget>

namespace corvanta {

namespace {

constexpr int PerRow = GroupCount / 2;
constexpr int Gap = 3; // pixels between neighbouring lists

} // namespace

GroupListsPanel::GroupListsPanel(QWidget *parent) : QWidget(parent)
{
    for (int g = 0; g < GroupCount; ++g) {
        auto *list = new QListWidget(this);
        list->setObjectName(QStringLiteral("List_group_%1").arg(g));
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        connect(list, &QListWidget::itemDoubleClicked, this,
                [this](QListWidgetItem *item) { emit namePicked(item->text()); });
        List_group[g] = list;
    }
}

void GroupListsPanel::setGroups(const std::array<QStringList, GroupCount> &groups)
{
    for (int g = 0; g < GroupCount; ++g) {
        List_group[g]->clear();
        List_group[g]->addItems(groups[g]);
    }
}

std::array<QStringList, GroupCount> GroupListsPanel::groups() const
{
    std::array<QStringList, GroupCount> result;
    for (int g = 0; g < GroupCount; ++g) {
        for (int row = 0; row < List_group[g]->count(); ++row)
            result[g].append(List_group[g]->item(row)->text());
    }
    return result;
}

void GroupListsPanel::clearGroups()
{
    for (auto *list : List_group)
        list->clear();
}

void GroupListsPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int w = (width() - Gap * (PerRow - 1)) / PerRow;
    const int h = (height() - Gap) / 2;
    for (int g = 0; g < GroupCount; ++g) {
        const int row = g / PerRow, col = g % PerRow;
        List_group[g]->setGeometry(col * (w + Gap), row * (h + Gap), w, h);
    }
}

} // namespace corvanta
