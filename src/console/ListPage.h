#pragma once

#include "console/ConsolePage.h"

namespace corvanta {

// A page that keeps one whole list on the server (classes, students of a class, topics):
// names typed one per line are added, selected lines removed, and after each edit the
// whole list is sent; a line gets a new name through a rename frame.
class ListPage : public ConsolePage
{
    Q_OBJECT
public:
    using ConsolePage::ConsolePage;

protected:
    // The texts of one list's status label; "%1" stands for a count.
    struct ListTexts
    {
        QString nothingToAdd;    // "没有需要添加的学生！"
        QString added;           // "已添加%1名学生！"
        QString present;         // "%1名学生存在，被忽略！"
        QString nothingSelected; // "请选择需要删除的学生"
        QString removed;         // "已成功删除%1个班级！"; empty: the save's text stays
    };
    // The controls the shared steps work on.
    void setListControls(QListWidget *list, QPlainTextEdit *input, QLabel *status, ListTexts texts);

    virtual console::ListKind listKind() const = 0;
    // The class a student list belongs to; empty for the other lists.
    virtual QString listClass() const { return {}; }

    // "添加": typed names into the list, then the list save.
    void addTyped();
    // "删除": selected lines out of the list, then the list save (also with nothing
    // removed when alwaysSave).
    void removeChosen(bool alwaysSave = false);
    // "保存到服务器": sends the whole list; after an accepted save the record file and the
    // main window follow.
    ReplyOutcome saveList();

    // A rename: refused before sending when the new name is empty or would break a list.
    // After an accepted one the record file and the main window follow, then reload runs,
    // the frame closes and "修改成功！" is told.
    void sendRename(const PageCall &call, const QString &newName, QGroupBox *frame,
                    const std::function<void()> &reload);

private:
    QListWidget *m_list = nullptr;
    QPlainTextEdit *m_input = nullptr;
    QLabel *m_status = nullptr;
    ListTexts m_texts;
};

} // namespace corvanta
