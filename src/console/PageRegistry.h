#pragma once

#include <QList>
#include <QRect>
#include <QString>

#include <functional>

class QWidget;

namespace corvanta {

class ConsolePage;
class ConsoleSession;

// The console's pages by name. The number is the one in the page's object name
// ("Frame_manage_<n>") and its button's ("Cmd_manage_<n>"), by which tests and outside checks
// find them: a new page takes the next free number, none is ever renumbered.
enum class ConsolePageId : int {
    Teacher = 0,  // 个人信息
    Class = 1,    // 班级管理
    Student = 2,  // 学生管理
    Score = 3,    // 计分管理
    Shortcut = 4, // 快捷方式
    Topic = 5,    // 课题管理
    Scale = 6,    // 评分标准
};
QString pageObjectName(ConsolePageId id);   // "Frame_manage_<n>"
QString buttonObjectName(ConsolePageId id); // "Cmd_manage_<n>"

// One page of the console: its name, its button's caption, and how it is made.
struct ConsolePageEntry
{
    ConsolePageId id;
    QString caption;
    std::function<ConsolePage *(ConsoleSession &, QWidget *)> make;
};
using ConsolePageList = QList<ConsolePageEntry>;

template <class Page> ConsolePage *makeConsolePage(ConsoleSession &session, QWidget *parent)
{
    return new Page(session, parent);
}

// The console's pages, in the order of their buttons.
ConsolePageList consolePages();

// Where the page buttons of `count` pages stand (twips), in button order: one row left of
// "返回" while they fit, else even rows below one another. extraHeight is what the rows
// below the first add to the window.
struct PageButtonLayout
{
    QList<QRect> buttons;
    int extraHeight = 0;
};
PageButtonLayout pageButtonLayout(int count);

} // namespace corvanta
