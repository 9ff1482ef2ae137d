#include "GroupStatsPanel.h"

#include "GroupStats.h"

#include "widgets/TabColumns.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvanta {

namespace {

QPlainTextEdit *readOnlyText(QWidget *parent, const char *name)
{
    auto *text = new QPlainTextEdit(parent);
    text->setObjectName(QString::fromLatin1(name));
    text->setReadOnly(true);
    return text;
}

} // namespace

GroupStatsPanel::GroupStatsPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("GroupStatistics"));

    rankingFrame = new QGroupBox(QStringLiteral("小组统计"), this);
    rankingFrame->setObjectName(QStringLiteral("Frame8"));
    rankingFrame->setAutoFillBackground(true);
    rankingList = new QListWidget(rankingFrame);
    rankingList->setObjectName(QStringLiteral("List9"));
    // Kept in rank order as filled: a text sort would put 第10名 before 第1名.
    rankingList->setSortingEnabled(false);
    rankingList->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    new TabColumns(rankingList);
    rankingBackButton = new QPushButton(QStringLiteral("返回"), rankingFrame);
    rankingBackButton->setObjectName(QStringLiteral("Command28"));
    auto *rankingRow = new QHBoxLayout;
    rankingRow->addWidget(new QLabel(QStringLiteral("双击列表项目可显示详细信息"), rankingFrame), 1);
    rankingRow->addWidget(rankingBackButton);
    auto *ranking = new QVBoxLayout(rankingFrame);
    ranking->addWidget(rankingList, 1);
    ranking->addLayout(rankingRow);

    detailFrame = new QGroupBox(this);
    detailFrame->setObjectName(QStringLiteral("Frame1"));
    detailFrame->setAutoFillBackground(true);
    rankLabel = new QLabel(detailFrame);
    rankLabel->setObjectName(QStringLiteral("Label22"));
    QFont rankFont = rankLabel->font();
    rankFont.setBold(true);
    rankFont.setPointSizeF(rankFont.pointSizeF() * 1.3);
    rankLabel->setFont(rankFont);
    detailScoreLabel = new QLabel(detailFrame);
    detailScoreLabel->setObjectName(QStringLiteral("Label23"));
    contributorsText = readOnlyText(detailFrame, "Text7");
    membersText = readOnlyText(detailFrame, "Text12");
    detailBackButton = new QPushButton(QStringLiteral("返回"), detailFrame);
    detailBackButton->setObjectName(QStringLiteral("Command2"));
    auto *head = new QHBoxLayout;
    head->addWidget(rankLabel);
    head->addSpacing(12);
    head->addWidget(detailScoreLabel, 1);
    head->addWidget(detailBackButton);
    auto *names = new QGridLayout;
    names->addWidget(new QLabel(QStringLiteral("贡献者："), detailFrame), 0, 0, Qt::AlignTop);
    names->addWidget(contributorsText, 0, 1);
    names->addWidget(new QLabel(QStringLiteral("组员："), detailFrame), 1, 0, Qt::AlignTop);
    names->addWidget(membersText, 1, 1);
    auto *detail = new QVBoxLayout(detailFrame);
    detail->addLayout(head);
    detail->addLayout(names, 1);
    detailFrame->hide();

    connect(rankingList, &QListWidget::itemDoubleClicked, this, &GroupStatsPanel::showDetail);
    connect(rankingBackButton, &QPushButton::clicked, this, &GroupStatsPanel::closeRequested);
    connect(detailBackButton, &QPushButton::clicked, this, [this] {
        detailFrame->hide();
        rankingFrame->show();
    });
}

void GroupStatsPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The detail takes the place of the ranking.
    rankingFrame->setGeometry(rect());
    detailFrame->setGeometry(rect());
}

void GroupStatsPanel::showStatistics(const QList<ScoreLine> &pending, const QList<QStringList> &groups,
                                     const QString &className)
{
    rankingList->clear();
    for (const GroupRank &group : rankGroups(pending, groups, className))
        rankingList->addItem(group.line());
    detailFrame->hide();
    rankingFrame->show();
}

void GroupStatsPanel::showDetail()
{
    const QListWidgetItem *item = rankingList->currentItem();
    if (!item)
        return;
    const std::optional<GroupDetail> detail = GroupDetail::fromLine(item->text());
    if (!detail)
        return;
    rankLabel->setText(detail->rank);
    detailScoreLabel->setText(detail->score);
    contributorsText->setPlainText(detail->contributors);
    membersText->setPlainText(detail->members);
    rankingFrame->hide();
    detailFrame->show();
}

} // namespace corvanta
