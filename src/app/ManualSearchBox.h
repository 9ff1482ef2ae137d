#pragma once

#include "app/ManualSearch.h"

#include <QLineEdit>

class QListWidget;

namespace corvanta {

// The search box of the main panel with its result list: typing part of a name or its
// pinyin initials lists the matching students above the box; Enter or a double-click on a
// line picks one. The result list is a sibling on the box's parent, since it opens above
// the box.
class ManualSearchBox : public QLineEdit
{
    Q_OBJECT
public:
    // Builds the box and its result list on `panel`.
    explicit ManualSearchBox(QWidget *panel);

    // The students to search: the names of pool 0 with the class's records.
    void setClass(const QStringList &names, const QList<StudentRecord> &records);
    // No class chosen: nothing to find.
    void clearClass();

    // Number of result lines shown (0 while the list is hidden).
    int resultCount() const;

signals:
    // A result line was picked; the box is empty again and its list closed.
    void picked(const QString &name);

protected:
    void keyReleaseEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void runSearch();
    void placeResults();
    void hideResults();
    void pickSelected();

    QListWidget *resultList;
    ManualSearch m_search;
};

} // namespace corvanta
