#pragma once

#include <QList>
#include <QRect>
#include <QString>

#include <functional>

class QWidget;

namespace corvanta {

class ConsolePage;
class ConsoleSession;

// One page of the console: the number in its object names ("Frame_manage_<id>", its
// button "Cmd_manage_<id>"), its button's caption, and how it is made.
struct ConsolePageEntry
{
    int id;
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
