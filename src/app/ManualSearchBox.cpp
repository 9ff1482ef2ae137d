#include "ManualSearchBox.h"

#include "widgets/Twips.h"
#include "widgets/TabColumns.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QStyle>

#include <climits>

namespace corvanta {

namespace {

// Wide enough for a four-character name with its count and score; wider for longer ones.
constexpr int ResultListWidth = 2600;
// Between the list and the box below it.
constexpr int SearchGapTwips = 30;
constexpr int PanelBorderTwips = 120;

} // namespace

ManualSearchBox::ManualSearchBox(QWidget *panel) : QLineEdit(panel)
{
    setObjectName(QStringLiteral("txtManual"));
    setToolTip(QStringLiteral("拼音首字母或姓名"));

    List2 = new QListWidget(panel);
    List2->setObjectName(QStringLiteral("List2"));
    // Lines stand in the order the search gives them: full-length matches first.
    List2->setSortingEnabled(false);
    List2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    new TabColumns(List2);
    List2->hide();
    List2->installEventFilter(this);
    connect(List2, &QListWidget::itemDoubleClicked, this, [this] { pickSelected(); });
    connect(this, &QLineEdit::textChanged, this, &ManualSearchBox::runSearch);
}

void ManualSearchBox::setClass(const QStringList &names, const QList<StudentRecord> &records)
{
    m_search.setClass(names, records);
}

void ManualSearchBox::clearClass()
{
    m_search.clear();
    clear();
    hideResults();
}

int ManualSearchBox::resultCount() const
{
    return List2->isHidden() ? 0 : List2->count();
}

void ManualSearchBox::runSearch()
{
    const QString typed = text();
    if (typed.isEmpty()) {
        hideResults();
        return;
    }
    List2->clear();
    List2->addItems(m_search.search(typed));
    if (List2->count() == 0) {
        List2->hide();
        return;
    }
    placeResults();
    List2->show();
    List2->raise();
}

void ManualSearchBox::placeResults()
{
    // As many whole lines of the list's font as the room above the box allows, just above it.
    const ResultListGeometry g = resultListGeometry(List2->count());
    const int most = twipsToPixels(resultListGeometry(INT_MAX).height);
    const int least = twipsToPixels(resultListGeometry(1).height);
    const int frame = 2 * List2->frameWidth();
    const int line = std::max(1, List2->sizeHintForRow(0));
    const int lines = std::clamp(int(List2->count()), 1, std::max(1, (most - frame) / line));
    const int bottom = y() - twipsToPixels(SearchGapTwips);
    const int height = std::max(least, lines * line + frame);
    // Every line whole: as wide as the widest, within the panel (moved left when it must).
    const bool scrolls = lines < List2->count();
    const int scrollBar = scrolls ? List2->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, List2) : 0;
    const int needed = List2->sizeHintForColumn(0) + frame + scrollBar;
    // The panel's border lies outside the window.
    const int edge = twipsToPixels(PanelBorderTwips);
    const int room = parentWidget()->width() - 2 * edge;
    const int width = std::min(room, std::max(twipsToPixels(ResultListWidth), needed));
    const int left = std::clamp(twipsToPixels(g.left), edge, edge + room - width);
    QRect area(left, bottom - height, width, height);
    // Its top edge cuts no line of text in half: a one-line control it would cut is covered whole.
    for (const QObject *object : parentWidget()->children()) {
        const auto *control = qobject_cast<const QWidget *>(object);
        if (!control || control == List2 || control == this || !control->isVisible() || control->height() > 2 * line)
            continue;
        const QRect r = control->geometry();
        if (!r.intersects(area))
            continue;
        if (r.top() < area.top() && r.bottom() >= area.top())
            area.setTop(r.top());
    }
    List2->setGeometry(area);
}

void ManualSearchBox::hideResults()
{
    List2->hide();
}

void ManualSearchBox::keyReleaseEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Up:
    case Qt::Key_Down:
        runSearch();
        if (resultCount() > 0) {
            List2->setFocus();
            List2->setCurrentRow(0);
        }
        break;
    case Qt::Key_Escape:
        hideResults();
        break;
    default:
        break;
    }
    QLineEdit::keyReleaseEvent(event);
}

bool ManualSearchBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == List2 && event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            hideResults();
            pickSelected();
            return true;
        }
        if (key == Qt::Key_Escape) {
            hideResults();
            setFocus();
            return true;
        }
    }
    return QLineEdit::eventFilter(watched, event);
}

void ManualSearchBox::pickSelected()
{
    const QListWidgetItem *item = List2->currentItem();
    if (!item)
        return;
    const QString name = nameOfListItem(item->text());
    hideResults();
    List2->clear();
    emit picked(name);
    // Emptying the box closes the list for good.
    clear();
}

} // namespace corvanta
