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
    ListPage(ConsoleSession &session, const QString &title, QWidget *parent);

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
    // The controls the shared steps work on; editing: the controls that change the list,
    // closed while the list cannot be sent (see updateEditing).
    void setListControls(QListWidget *list, QPlainTextEdit *input, QLabel *status, ListTexts texts,
                         QList<QWidget *> editing);

    virtual console::ListKind listKind() const = 0;
    // The class a student list belongs to (the one it was read for); empty for the other lists.
    virtual QString listClass() const { return {}; }
    // Whether the list in the box is the one a save would replace; the failure says why not.
    virtual Result listSourceCheck() const { return Result::success(); }
    // Whether the page holds a list to edit at all (a student page only once a class is chosen).
    virtual bool hasList() const { return true; }
    // Opens or closes the editing controls: a list read from a record file that may be
    // behind the server must not be edited and sent.
    void updateEditing();

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
    // The checks before a list is touched: not busy, allowed to write, the record file
    // current, and the list the one on screen.
    bool mayEditList();

    QList<QWidget *> m_editing;
    QListWidget *m_list = nullptr;
    QPlainTextEdit *m_input = nullptr;
    QLabel *m_status = nullptr;
    ListTexts m_texts;
};

} // namespace corvanta
