#include "ManualSearchBox.h"

#include "widgets/Twips.h"

#include <QKeyEvent>
#include <QListWidget>

namespace corvanta {

namespace {

// Wide enough for a long name with its count and score.
constexpr int ResultListWidth = 2600;

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
    const ResultListGeometry g = resultListGeometry(List2->count());
    List2->setGeometry(twipsToPixels(g.left), twipsToPixels(g.top), twipsToPixels(ResultListWidth), twipsToPixels(g.height));
    List2->show();
    List2->raise();
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
