#pragma once

#include "net/ScoreLine.h"

#include <QList>
#include <QStringList>
#include <QWidget>

class QGroupBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace corvanta {

// The group statistics of the upload panel: the ranked groups (rankingFrame) and, after a
// double-click on one, that group's detail (detailFrame) in the same place. "返回" of the detail
// goes back to the ranking; "返回" of the ranking asks to close.
class GroupStatsPanel : public QWidget
{
    Q_OBJECT
public:
    explicit GroupStatsPanel(QWidget *parent = nullptr);

    // Ranks the groups of the class by the pending scores and shows the ranking.
    void showStatistics(const QList<ScoreLine> &pending, const QList<QStringList> &groups,
                        const QString &className);

signals:
    void closeRequested(); // "返回" of the ranking

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void showDetail();

    // Controls, named as the main window names them.
    QGroupBox *rankingFrame;
    QListWidget *rankingList;
    QPushButton *rankingBackButton;
    QGroupBox *detailFrame;
    QLabel *rankLabel;
    QLabel *detailScoreLabel;
    QPlainTextEdit *contributorsText;
    QPlainTextEdit *membersText;
    QPushButton *detailBackButton;
};

} // namespace corvanta
