#pragma once

#include "console/ConsoleSteps.h"
#include "core/Result.h"
#include "net/OutgoingText.h"
#include "net/PageCall.h"

#include <QGroupBox>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;

namespace corvanta {

class BusyGuard;
class ConsoleSession;

// One page of the console: a frame at the console's page area, filled when the console
// shows it. Holds what every page does the same way: building controls at their twip
// positions, the write check, waiting for a request, telling its reply.
class ConsolePage : public QGroupBox
{
    Q_OBJECT
public:
    using ReplyKind = console::ReplyKind;
    using ReplyNotice = console::ReplyNotice;

    // The console names the page (it knows the page's place among the others).
    ConsolePage(ConsoleSession &session, const QString &title, QWidget *parent);

    // Fills the page from the class record file (and, for some, the server).
    virtual void fillPage() = 0;
    // After a login: forget what the last login chose.
    virtual void resetAfterLogin() {}

    // Twips (1/1440 inch) to pixels: 15 twips a pixel.
    static QRect twips(int left, int top, int width, int height);
    // A password box shows "*" for every character.
    static void maskPassword(QLineEdit *box);

protected:
    // Puts a control at its place on a page or frame, in pixels from its top left.
    static void placeControl(QWidget *parent, QWidget *control, QRect rect);
    QLabel *addLabel(QWidget *parent, const QString &name, const QString &caption, QRect rect);
    QPushButton *addButton(QWidget *parent, const QString &name, const QString &caption, QRect rect);
    QLineEdit *addLineEdit(QWidget *parent, const QString &name, QRect rect);

    QListWidget *addListBox(QWidget *parent, const QString &name, QRect rect);
    QPlainTextEdit *addTextBox(QWidget *parent, const QString &name, QRect rect);
    QComboBox *addComboBox(QWidget *parent, const QString &name, QRect rect);
    QGroupBox *addFrame(const QString &name, const QString &title, QRect rect);

    // A column of labelled text boxes, one row every `step` twips from `top`.
    struct LabelledBox
    {
        QLabel *&label;
        const char *labelName;
        const char *caption;
        QLineEdit *&box;
        const char *boxName;
    };
    struct Column
    {
        int labelLeft, labelWidth, boxLeft, boxWidth, top, step;
    };
    void addLabelledBoxes(QWidget *parent, std::initializer_list<LabelledBox> rows, Column column);

    // Asks the console to show this page again (and so fill it from the fresh file).
    void showAgain();

    // Shows a covering frame above the page's other controls.
    static void showFrame(QGroupBox *frame);
    // While a covering frame is shown the page's own controls are hidden, so none of them
    // shows around its edges.
    bool eventFilter(QObject *watched, QEvent *event) override;

    // The write check; a refusal is told in a "提示" box.
    bool writeAllowed();
    // Names that would break a list, or that the server could not keep as typed, are
    // refused in a "提示" box before anything is sent.
    bool namesAllowed(const QStringList &names, outgoing::TextKind kind = outgoing::TextKind::Name);
    // What a page says when the record file could not be fetched again after a change.
    static QString staleText() { return QStringLiteral("数据刷新失败，请稍后重新打开后台！"); }
    void tellRefusal(const QString &text);
    // True when the box still names what the list was read for; else a "提示" box.
    bool listIsFor(const QString &listFor, const QComboBox *box, const QString &kind);

    // Starts a wait: null when the console already waits for something (the action is
    // then dropped). While held, the console takes no clicks.
    std::unique_ptr<BusyGuard> beginWait();
    // The reply, or nullopt when the console went away during the wait.
    std::optional<HttpResult> send(BusyGuard &busy, const PageCall &call);
    // A reading page's lines, from a complete 200 reply with a list; else why there are
    // none (the page then shows none). nullopt when the console was busy and nothing was
    // asked (the page keeps what it shows). A reply that is a message (a refused login, say)
    // is told in a "提示" box, never shown as lines; after a refused login nothing more is
    // read until the next login.
    std::optional<Expected<QStringList>> readLines(const PageCall &call);
    // Sends a change and tells its reply. After an accepted one the class record file is
    // fetched again (still waiting), then onAccepted runs before the reply is told; when
    // that fetch fails the page says so after the reply (staleText()).
    ReplyOutcome sendChange(const PageCall &call, ReplyKind kind, const QString &successText,
                            const QString &failureText, QLabel *status,
                            const std::function<void()> &onAccepted = {});
    // The record deletions of the score and scale pages: after an accepted one the
    // record file and the main window follow.
    ReplyOutcome sendDeletion(const PageCall &call, QLabel *status);
    // Removes the selected record lines (their numbers into pending) and deletes them on
    // the server. After a refused or failed delete the list is read again (reload), or
    // shows the lines as they were when it cannot be read: the server still keeps them.
    struct RecordRemoval
    {
        QListWidget *list;
        QString *pending;
        QLabel *status;
        QString nothingSelected; // "请选择需要删除的计分！"
        QString removed;         // "已删除%1条计分！"
        std::function<ReplyOutcome()> sendDeletions;
        std::function<bool()> reload;
    };
    void removeRecords(const RecordRemoval &removal);

    // Whether the session allows reading: false (and told) after a refused login.
    bool readingAllowed();
    // Tells a reading reply that is a message; a refused login stops further reads.
    void tellReadMessage(const QString &message);

    // Tells a reply: the status label (when given) and the message box.
    ReplyOutcome tell(const HttpResult &reply, ReplyKind kind, const QString &successText,
                      const QString &failureText, QLabel *status);
    void tellNotice(const ReplyNotice &notice, QLabel *status);

    // Items and selected rows of a list box; the list box filled with items.
    static QStringList items(const QListWidget *list);
    static QList<int> selectedRows(const QListWidget *list);
    static void setItems(QListWidget *list, const QStringList &items);
    static void selectAll(QListWidget *list);
    static void invertSelection(QListWidget *list);
    // Removes the selected lines (RemoveSelectedLines on the list box).
    static int removeSelected(QListWidget *list, QString *pending = nullptr);

    ConsoleSession &m_session;

private:
    QList<QObject *> m_frames;
};

} // namespace corvanta
