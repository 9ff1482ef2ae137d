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
        groupLists[g] = list;
    }

    passwordEdit = new QLineEdit(this);
    passwordEdit->setObjectName(QStringLiteral("Text11"));
    passwordEdit->setToolTip(QStringLiteral("上传密码"));
    passwordEdit->setPlaceholderText(QStringLiteral("上传密码"));
    passwordEdit->setEchoMode(QLineEdit::Password);
    passwordEdit->setStyleSheet(QStringLiteral("lineedit-password-character: 42;")); // "*"
    passwordEdit->hide();
    bindOperationPassword(passwordEdit, context.session);

    uploadButton = new QPushButton(QStringLiteral("上传分组信息"), this);
    uploadButton->setObjectName(QStringLiteral("Command29"));
    uploadButton->setEnabled(false);
    connect(uploadButton, &QPushButton::clicked, this, &GroupListsPanel::uploadGroups);
}

void GroupListsPanel::setGroups(const QString &className, const std::array<QStringList, GroupCount> &groups)
{
    m_className = className;
    m_dragGroup = m_dragItem = -1;
    for (int g = 0; g < GroupCount; ++g) {
        groupLists[g]->clear();
        for (const QString &name : groups[g])
            addName(groupLists[g], -1, name);
    }
    updateGeometry();
}

std::array<QStringList, GroupCount> GroupListsPanel::groups() const
{
    std::array<QStringList, GroupCount> result;
    for (int g = 0; g < GroupCount; ++g) {
        for (int row = 0; row < groupLists[g]->count(); ++row)
            result[g].append(groupLists[g]->item(row)->text());
    }
    return result;
}

void GroupListsPanel::attachAbsentMenu(AbsentMenu &menu)
{
    for (auto *list : groupLists)
        menu.attach(list);
}

void GroupListsPanel::clearGroups()
{
    m_className.clear();
    m_dragGroup = m_dragItem = -1;
    for (auto *list : groupLists)
        list->clear();
}

void GroupListsPanel::resetUpload()
{
    passwordEdit->hide();
    if (!BusyGuard::isBusy(this))
        uploadButton->setEnabled(false);
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
    const QListWidget *list = groupLists[0];
    const int frame = 2 * list->frameWidth();
    const int textMargins = 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
    const QFontMetrics metrics = list->fontMetrics();
    const int least = metrics.horizontalAdvance(QString(NameCharacters, QChar(0x4e2d)));
    int widest = least;
    for (const QListWidget *group : groupLists) {
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
    return std::max(uploadButton->sizeHint().height(), passwordEdit->sizeHint().height());
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
    const int buttonWidth = uploadButton->sizeHint().width();
    const int rowHeight = uploadRowHeight();
    const int rowTop = height() - rowHeight;
    uploadButton->setGeometry(width() - buttonWidth, rowTop, buttonWidth, rowHeight);
    const int boxWidth = std::min(150, width() / 3);
    passwordEdit->setGeometry(uploadButton->x() - Gap - boxWidth, rowTop, boxWidth, rowHeight);

    const int w = std::max(1, (width() - Gap * (PerRow - 1)) / PerRow);
    const int h = std::max(1, std::min(listSize().height(), (rowTop - 2 * Gap) / 2));
    for (int g = 0; g < GroupCount; ++g) {
        const int row = g / PerRow, col = g % PerRow;
        groupLists[g]->setGeometry(col * (w + Gap), row * (h + Gap), w, h);
    }
}

void GroupListsPanel::clearHighlights(const QListWidget *except)
{
    for (QListWidget *list : groupLists) {
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
        if (groupLists[g]->viewport() == viewport)
            return g;
    }
    return -1;
}

bool GroupListsPanel::eventFilter(QObject *watched, QEvent *event)
{
    const int g = groupOfViewport(watched);
    if (g < 0)
        return QWidget::eventFilter(watched, event);
    QListWidget *list = groupLists[g];
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton) {
            m_pressedAt = mouse->position().toPoint();
            m_dragGroup = g;
            m_dragItem = list->indexAt(m_pressedAt).row();
        }
        break;
    }
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (!(mouse->buttons() & Qt::LeftButton) || m_dragGroup != g || m_dragItem < 0)
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
    const QListWidgetItem *item = groupLists[group]->item(m_dragItem);
    if (!item || BusyGuard::isBusy(this))
        return;
    auto *data = new QMimeData;
    data->setData(QString::fromLatin1(kNameFormat), item->text().toUtf8());
    auto *drag = new QDrag(groupLists[group]);
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
    uploadButton->setEnabled(true);
    passwordEdit->show();
}

void GroupListsPanel::dropName(int target, const QPoint &at, const QMimeData *data)
{
    if (!data || m_dragGroup < 0 || m_dragGroup >= GroupCount || BusyGuard::isBusy(this))
        return;
    QListWidget *from = groupLists[m_dragGroup];
    QListWidget *to = groupLists[target];
    const QListWidgetItem *item = from->item(m_dragItem);
    const QString name = item ? item->text() : QString();
    // Only the name this drag grabbed moves: a stale drag or a foreign drop changes nothing.
    if (name.isEmpty() || QString::fromUtf8(data->data(QString::fromLatin1(kNameFormat))) != name)
        return;

    const int p = to->indexAt(at).row();
    if (p < 0) {
        addName(to, -1, name);
        delete from->takeItem(m_dragItem);
        to->setCurrentRow(to->count() - 1);
    } else {
        addName(to, p, name);
        // In its own list the name stood one line lower after the insert when it came from at
        // or below p, and one line higher after the removal when it came from above.
        const bool sameList = from == to;
        delete from->takeItem(sameList && m_dragItem >= p ? m_dragItem + 1 : m_dragItem);
        to->setCurrentRow(sameList && m_dragItem < p ? p - 1 : p);
    }
    // One drop for one drag.
    m_dragItem = -1;
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
    QList<QWidget *> controls{passwordEdit, uploadButton};
    for (auto *list : groupLists)
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
