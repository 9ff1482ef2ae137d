#pragma once

#include "app/Pools.h"
#include "widgets/AppContext.h"

#include <QWidget>

#include <array>

class QLineEdit;
class QListWidget;
class QMimeData;
class QPushButton;

namespace corvanta {

class AbsentMenu;

// The sixteen group lists of a class, List_group_0..15 (index = group number), in two rows
// of eight, each high enough for six names and wide enough for four-character ones, with
// the group upload below them. The lists themselves hold the grouping:
// filled when a class is chosen, changed by dragging names, read back when uploaded.
class GroupListsPanel : public QWidget
{
    Q_OBJECT
public:
    // A dragged name travels in this format; a drop of anything else is not taken.
    static constexpr char kNameFormat[] = "application/x-corvanta-group-name";

    explicit GroupListsPanel(AppContext &context, QWidget *parent = nullptr);

    void setGroups(const QString &className, const std::array<QStringList, GroupCount> &groups);
    std::array<QStringList, GroupCount> groups() const;
    void clearGroups();
    // Offers "标记缺席"/"取消缺席" on every group list.
    void attachAbsentMenu(AbsentMenu &menu);

    // The view is shown afresh: the upload waits for a completed drag again.
    void resetUpload();
    // The room the lists and the upload row need to show every name of full groups.
    QSize sizeHint() const override;
    // Sends the grouping with the password of passwordEdit ("上传分组信息").
    void uploadGroups();

signals:
    // A name was double-clicked in a group list: the student to score.
    void namePicked(const QString &name);
    // The server took the grouping and the record file was downloaded again.
    void groupsStored();

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int groupOfViewport(const QObject *viewport) const;
    void startDrag(int group);
    void dragCompleted();
    void dropName(int target, const QPoint &at, const QMimeData *data);
    // Only the line a drop left selected stays highlighted.
    void clearHighlights(const QListWidget *except);
    QSize listSize() const;
    static void addName(QListWidget *list, int row, const QString &name);
    int uploadRowHeight() const;

    QListWidget *groupLists[GroupCount] = {};
    QLineEdit *passwordEdit;
    QPushButton *uploadButton;

    AppContext &m_context;
    QString m_className;
    // The list and line a drag starts from, set when the left button goes down on a line.
    int m_dragGroup = -1;
    int m_dragItem = -1;
    QPoint m_pressedAt;
    // The list the running drag dropped its name on, if any.
    const QListWidget *m_dropTarget = nullptr;
};

} // namespace corvanta
