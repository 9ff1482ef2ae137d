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

    Frame8 = new QGroupBox(QStringLiteral("小组统计"), this);
    Frame8->setObjectName(QStringLiteral("Frame8"));
    Frame8->setAutoFillBackground(true);
    List9 = new QListWidget(Frame8);
    List9->setObjectName(QStringLiteral("List9"));
    // Kept in rank order as filled: a text sort would put 第10名 before 第1名.
    List9->setSortingEnabled(false);
    List9->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    new TabColumns(List9);
    Command28 = new QPushButton(QStringLiteral("返回"), Frame8);
    Command28->setObjectName(QStringLiteral("Command28"));
    auto *rankingRow = new QHBoxLayout;
    rankingRow->addWidget(new QLabel(QStringLiteral("双击列表项目可显示详细信息"), Frame8), 1);
    rankingRow->addWidget(Command28);
    auto *ranking = new QVBoxLayout(Frame8);
    ranking->addWidget(List9, 1);
    ranking->addLayout(rankingRow);

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setAutoFillBackground(true);
    Label22 = new QLabel(Frame1);
    Label22->setObjectName(QStringLiteral("Label22"));
    QFont rankFont = Label22->font();
    rankFont.setBold(true);
    rankFont.setPointSizeF(rankFont.pointSizeF() * 1.3);
    Label22->setFont(rankFont);
    Label23 = new QLabel(Frame1);
    Label23->setObjectName(QStringLiteral("Label23"));
    Text7 = readOnlyText(Frame1, "Text7");
    Text12 = readOnlyText(Frame1, "Text12");
    Command2 = new QPushButton(QStringLiteral("返回"), Frame1);
    Command2->setObjectName(QStringLiteral("Command2"));
    auto *head = new QHBoxLayout;
    head->addWidget(Label22);
    head->addSpacing(12);
    head->addWidget(Label23, 1);
    head->addWidget(Command2);
    auto *names = new QGridLayout;
    names->addWidget(new QLabel(QStringLiteral("贡献者："), Frame1), 0, 0, Qt::AlignTop);
    names->addWidget(Text7, 0, 1);
    names->addWidget(new QLabel(QStringLiteral("组员："), Frame1), 1, 0, Qt::AlignTop);
    names->addWidget(Text12, 1, 1);
    auto *detail = new QVBoxLayout(Frame1);
    detail->addLayout(head);
    detail->addLayout(names, 1);
    Frame1->hide();

    connect(List9, &QListWidget::itemDoubleClicked, this, &GroupStatsPanel::showDetail);
    connect(Command28, &QPushButton::clicked, this, &GroupStatsPanel::closeRequested);
    connect(Command2, &QPushButton::clicked, this, [this] {
        Frame1->hide();
        Frame8->show();
    });
}

void GroupStatsPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The detail takes the place of the ranking.
    Frame8->setGeometry(rect());
    Frame1->setGeometry(rect());
}

void GroupStatsPanel::showStatistics(const QList<ScoreLine> &pending, const QList<QStringList> &groups,
                                     const QString &className)
{
    List9->clear();
    for (const GroupRank &group : rankGroups(pending, groups, className))
        List9->addItem(group.line());
    Frame1->hide();
    Frame8->show();
}

void GroupStatsPanel::showDetail()
{
    const QListWidgetItem *item = List9->currentItem();
    if (!item)
        return;
    const std::optional<GroupDetail> detail = GroupDetail::fromLine(item->text());
    if (!detail)
        return;
    Label22->setText(detail->rank);
    Label23->setText(detail->score);
    Text7->setPlainText(detail->contributors);
    Text12->setPlainText(detail->members);
    Frame8->hide();
    Frame1->show();
}

} // namespace corvanta
