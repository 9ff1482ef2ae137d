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

    resultList = new QListWidget(panel);
    resultList->setObjectName(QStringLiteral("List2"));
    // Lines stand in the order the search gives them: full-length matches first.
    resultList->setSortingEnabled(false);
    resultList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    new TabColumns(resultList);
    resultList->hide();
    resultList->installEventFilter(this);
    connect(resultList, &QListWidget::itemDoubleClicked, this, [this] { pickSelected(); });
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
    return resultList->isHidden() ? 0 : resultList->count();
}

void ManualSearchBox::runSearch()
{
    const QString typed = text();
    if (typed.isEmpty()) {
        hideResults();
        return;
    }
    resultList->clear();
    resultList->addItems(m_search.search(typed));
    if (resultList->count() == 0) {
        resultList->hide();
        return;
    }
    placeResults();
    resultList->show();
    resultList->raise();
}

void ManualSearchBox::placeResults()
{
    // As many whole lines of the list's font as the room above the box allows, just above it.
    const ResultListGeometry g = resultListGeometry(resultList->count());
    const int most = twipsToPixels(resultListGeometry(INT_MAX).height);
    const int least = twipsToPixels(resultListGeometry(1).height);
    const int frame = 2 * resultList->frameWidth();
    const int line = std::max(1, resultList->sizeHintForRow(0));
    const int lines = std::clamp(int(resultList->count()), 1, std::max(1, (most - frame) / line));
    const int bottom = y() - twipsToPixels(SearchGapTwips);
    const int height = std::max(least, lines * line + frame);
    // Every line whole: as wide as the widest, within the panel (moved left when it must).
    const bool scrolls = lines < resultList->count();
    const int scrollBar =
        scrolls ? resultList->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, resultList) : 0;
    const int needed = resultList->sizeHintForColumn(0) + frame + scrollBar;
    // The panel's border lies outside the window.
    const int edge = twipsToPixels(PanelBorderTwips);
    const int room = parentWidget()->width() - 2 * edge;
    const int width = std::min(room, std::max(twipsToPixels(ResultListWidth), needed));
    const int left = std::clamp(twipsToPixels(g.left), edge, edge + room - width);
    QRect area(left, bottom - height, width, height);
    // Its top edge cuts no line of text in half: a one-line control it would cut is covered whole.
    for (const QObject *object : parentWidget()->children()) {
        const auto *control = qobject_cast<const QWidget *>(object);
        if (!control || control == resultList || control == this || !control->isVisible() ||
            control->height() > 2 * line)
            continue;
        const QRect r = control->geometry();
        if (!r.intersects(area))
            continue;
        if (r.top() < area.top() && r.bottom() >= area.top())
            area.setTop(r.top());
    }
    resultList->setGeometry(area);
}

void ManualSearchBox::hideResults()
{
    resultList->hide();
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
            resultList->setFocus();
            resultList->setCurrentRow(0);
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
    if (watched == resultList && event->type() == QEvent::KeyRelease) {
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
    const QListWidgetItem *item = resultList->currentItem();
    if (!item)
        return;
    const QString name = nameOfListItem(item->text());
    hideResults();
    resultList->clear();
    emit picked(name);
    // Emptying the box closes the list for good.
    clear();
}

} // namespace corvanta
