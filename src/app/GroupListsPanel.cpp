#include "GroupListsPanel.h"

#include "app/AbsentMenu.h"

#include "net/LoginState.h"
#include "net/ScoreRequests.h"
#include "net/ServerLink.h"
#include "net/Session.h"
#include "widgets/BusyGuard.h"
#include "widgets/ClassroomLook.h"
#include "widgets/PasswordBinding.h"
#include "widgets/Prompter.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QDrag>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>

namespace corvanta {

namespace {

constexpr int PerRow = GroupCount / 2;
constexpr int Gap = 3; // pixels between neighbouring lists
// A group a teacher reads at a glance: this many names of this many characters.
constexpr int GroupLines = 6;
constexpr int NameCharacters = 4;

} // namespace

GroupListsPanel::GroupListsPanel(AppContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    for (int g = 0; g < GroupCount; ++g) {
        auto *list = new QListWidget(this);
        list->setObjectName(QStringLiteral("List_group_%1").arg(g));
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        // The lists grow for the longest name; one longer than the screen allows wraps, so two
        // long names never look the same.
        list->setWordWrap(true);
        list->setTextElideMode(Qt::ElideNone);
        // The panel runs the drags itself: a name moves, it is never copied.
        list->setDragDropMode(QAbstractItemView::NoDragDrop);
        list->setAcceptDrops(true);
        list->viewport()->setAcceptDrops(true);
        list->viewport()->installEventFilter(this);
        connect(list, &QListWidget::itemDoubleClicked, this,
                [this](QListWidgetItem *item) { emit namePicked(item->text()); });
        List_group[g] = list;
    }

    Text11 = new QLineEdit(this);
    Text11->setObjectName(QStringLiteral("Text11"));
    Text11->setToolTip(QStringLiteral("上传密码"));
    Text11->setPlaceholderText(QStringLiteral("上传密码"));
    Text11->setEchoMode(QLineEdit::Password);
    Text11->setStyleSheet(QStringLiteral("lineedit-password-character: 42;")); // "*"
    Text11->hide();
    bindOperationPassword(Text11, context.session);

    Command29 = new QPushButton(QStringLiteral("上传分组信息"), this);
    Command29->setObjectName(QStringLiteral("Command29"));
    Command29->setEnabled(false);
    connect(Command29, &QPushButton::clicked, this, &GroupListsPanel::uploadGroups);
}

void GroupListsPanel::setGroups(const QString &className, const std::array<QStringList, GroupCount> &groups)
{
    m_className = className;
    dragGroup = dragItem = -1;
    for (int g = 0; g < GroupCount; ++g) {
        List_group[g]->clear();
        for (const QString &name : groups[g])
            addName(List_group[g], -1, name);
    }
    updateGeometry();
}

std::array<QStringList, GroupCount> GroupListsPanel::groups() const
{
    std::array<QStringList, GroupCount> result;
    for (int g = 0; g < GroupCount; ++g) {
        for (int row = 0; row < List_group[g]->count(); ++row)
            result[g].append(List_group[g]->item(row)->text());
    }
    return result;
}

void GroupListsPanel::attachAbsentMenu(AbsentMenu &menu)
{
    for (auto *list : List_group)
        menu.attach(list);
}

void GroupListsPanel::clearGroups()
{
    m_className.clear();
    dragGroup = dragItem = -1;
    for (auto *list : List_group)
        list->clear();
}

void GroupListsPanel::resetUpload()
{
    Text11->hide();
    if (!BusyGuard::isBusy(this))
        Command29->setEnabled(false);
}

void GroupListsPanel::addName(QListWidget *list, int row, const QString &name)
{
    auto *item = new QListWidgetItem(name);
    // A name longer than the list ends in "…"; the tip shows it whole.
    item->setToolTip(name);
    list->insertItem(row < 0 ? list->count() : row, item);
}

QSize GroupListsPanel::listSize() const
{
    const QListWidget *list = List_group[0];
    const int frame = 2 * list->frameWidth();
    const int textMargins = 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
    const QFontMetrics metrics = list->fontMetrics();
    const int least = metrics.horizontalAdvance(QString(NameCharacters, QChar(0x4e2d)));
    int widest = least;
    for (const QListWidget *group : List_group) {
        for (int row = 0; row < group->count(); ++row)
            widest = std::max(widest, metrics.horizontalAdvance(group->item(row)->text()));
    }
    // A row of lists as wide as the screen at most (less the window's edges); beyond that a
    // name wraps.
    const QScreen *shownOn = screen() ? screen() : QGuiApplication::primaryScreen();
    const int screenRoom = shownOn ? shownOn->availableGeometry().width() - twipsToPixels(600) : widest * PerRow;
    const int most = std::max(least, screenRoom / PerRow - Gap - textMargins - frame - 2);
    return {std::min(widest, most) + textMargins + frame + 2, listHeightForLines(list, GroupLines)};
}

int GroupListsPanel::uploadRowHeight() const
{
    return std::max(Command29->sizeHint().height(), Text11->sizeHint().height());
}

QSize GroupListsPanel::sizeHint() const
{
    const QSize list = listSize();
    return {PerRow * list.width() + (PerRow - 1) * Gap, 2 * list.height() + 2 * Gap + uploadRowHeight()};
}

void GroupListsPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The upload row along the bottom, the lists above it.
    const int buttonWidth = Command29->sizeHint().width();
    const int rowHeight = uploadRowHeight();
    const int rowTop = height() - rowHeight;
    Command29->setGeometry(width() - buttonWidth, rowTop, buttonWidth, rowHeight);
    const int boxWidth = std::min(150, width() / 3);
    Text11->setGeometry(Command29->x() - Gap - boxWidth, rowTop, boxWidth, rowHeight);

    const int w = std::max(1, (width() - Gap * (PerRow - 1)) / PerRow);
    const int h = std::max(1, std::min(listSize().height(), (rowTop - 2 * Gap) / 2));
    for (int g = 0; g < GroupCount; ++g) {
        const int row = g / PerRow, col = g % PerRow;
        List_group[g]->setGeometry(col * (w + Gap), row * (h + Gap), w, h);
    }
}

void GroupListsPanel::clearHighlights(const QListWidget *except)
{
    for (QListWidget *list : List_group) {
        if (list != except) {
            list->clearSelection();
            list->setCurrentItem(nullptr);
        }
    }
}

// ---- Drag and drop between the lists ----

int GroupListsPanel::groupOfViewport(const QObject *viewport) const
{
    for (int g = 0; g < GroupCount; ++g) {
        if (List_group[g]->viewport() == viewport)
            return g;
    }
    return -1;
}

bool GroupListsPanel::eventFilter(QObject *watched, QEvent *event)
{
    const int g = groupOfViewport(watched);
    if (g < 0)
        return QWidget::eventFilter(watched, event);
    QListWidget *list = List_group[g];
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton) {
            m_pressedAt = mouse->position().toPoint();
            dragGroup = g;
            dragItem = list->indexAt(m_pressedAt).row();
        }
        break;
    }
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (!(mouse->buttons() & Qt::LeftButton) || dragGroup != g || dragItem < 0)
            break;
        // The grabbed name stays selected until the drag starts.
        if ((mouse->position().toPoint() - m_pressedAt).manhattanLength() >=
            QApplication::startDragDistance())
            startDrag(g);
        return true;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (!drag->mimeData() || !drag->mimeData()->hasFormat(QString::fromLatin1(kNameFormat))) {
            drag->ignore();
            return true;
        }
        // The line the name would go before shows selected.
        const int row = list->indexAt(drag->position().toPoint()).row();
        if (row >= 0)
            list->setCurrentRow(row);
        drag->setDropAction(Qt::MoveAction);
        drag->accept();
        return true;
    }
    case QEvent::DragLeave:
        // The line under the cursor was shown selected; the cursor has gone.
        list->clearSelection();
        list->setCurrentItem(nullptr);
        break;
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        dropName(g, drop->position().toPoint(), drop->mimeData());
        drop->setDropAction(Qt::MoveAction);
        drop->accept();
        return true;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void GroupListsPanel::startDrag(int group)
{
    const QListWidgetItem *item = List_group[group]->item(dragItem);
    if (!item || BusyGuard::isBusy(this))
        return;
    auto *data = new QMimeData;
    data->setData(QString::fromLatin1(kNameFormat), item->text().toUtf8());
    auto *drag = new QDrag(List_group[group]);
    drag->setMimeData(data);
    m_dropTarget = nullptr;
    drag->exec(Qt::MoveAction);
    clearHighlights(m_dropTarget);
    dragCompleted();
}

void GroupListsPanel::dragCompleted()
{
    if (BusyGuard::isBusy(this))
        return;
    Command29->setEnabled(true);
    Text11->show();
}

void GroupListsPanel::dropName(int target, const QPoint &at, const QMimeData *data)
{
    if (!data || dragGroup < 0 || dragGroup >= GroupCount || BusyGuard::isBusy(this))
        return;
    QListWidget *from = List_group[dragGroup];
    QListWidget *to = List_group[target];
    const QListWidgetItem *item = from->item(dragItem);
    const QString name = item ? item->text() : QString();
    // Only the name this drag grabbed moves: a stale drag or a foreign drop changes nothing.
    if (name.isEmpty() || QString::fromUtf8(data->data(QString::fromLatin1(kNameFormat))) != name)
        return;

    const int p = to->indexAt(at).row();
    if (p < 0) {
        addName(to, -1, name);
        delete from->takeItem(dragItem);
        to->setCurrentRow(to->count() - 1);
    } else {
        addName(to, p, name);
        // In its own list the name stood one line lower after the insert when it came from at
        // or below p, and one line higher after the removal when it came from above.
        const bool sameList = from == to;
        delete from->takeItem(sameList && dragItem >= p ? dragItem + 1 : dragItem);
        to->setCurrentRow(sameList && dragItem < p ? p - 1 : p);
    }
    // One drop for one drag.
    dragItem = -1;
    m_dropTarget = to;
    clearHighlights(to);
}

// ---- Group upload ----

void GroupListsPanel::uploadGroups()
{
    if (BusyGuard::isBusy(this))
        return;
    if (m_context.session.operationPassword().isEmpty()) {
        m_context.prompter.message(this, QStringLiteral("提示"), QStringLiteral("请输入操作密码！"),
                                   PromptIcon::Warning);
        return;
    }
    const std::array<QStringList, GroupCount> names = groups();
    QList<QWidget *> controls{Text11, Command29};
    for (auto *list : List_group)
        controls.append(list);

    BusyGuard busy(this, controls);
    const auto sent = sendAndWait(busy, m_context.link,
                                  score_pages::group(m_className, m_context.login.LoginUser,
                                                     m_context.session.operationPassword(),
                                                     QList<QStringList>(names.cbegin(), names.cend())));
    if (!sent)
        return;
    const HttpResult &result = *sent;
    // The record file follows, so that choosing the class again shows the new grouping.
    const auto fetched = busy.wait([&] {
        return result.outcome() == ReplyOutcome::Accepted ? m_context.session.refreshRecords(m_context.link)
                                                          : Result::success();
    });
    if (!fetched)
        return;
    const Result &refreshed = *fetched;
    busy.release();

    switch (result.outcome()) {
    case ReplyOutcome::Accepted:
        if (refreshed)
            emit groupsStored();
        m_context.prompter.message(
            this, QStringLiteral("完成"),
            refreshed ? QStringLiteral("上传成功！")
                      : QStringLiteral("上传成功！") + QStringLiteral("\r\n") +
                            QStringLiteral("但班级数据没有下载成功，再次登录后才显示新的分组：") +
                            refreshed.error(),
            refreshed ? PromptIcon::Information : PromptIcon::Warning);
        break;
    case ReplyOutcome::Rejected:
        m_context.prompter.message(this, QStringLiteral("错误"),
                                   result.text + QStringLiteral("\r\n") + QStringLiteral("上传错误！"),
                                   PromptIcon::Warning);
        break;
    case ReplyOutcome::Failed:
        m_context.prompter.message(this, QStringLiteral("错误"),
                                   QStringLiteral("网络异常！请检查网络，然后重新上传！"),
                                   PromptIcon::Warning);
        break;
    }
}

} // namespace corvanta
