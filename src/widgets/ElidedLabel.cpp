#include "ElidedLabel.h"

#include "ClassroomLook.h"
#include "ShownText.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFrame>

namespace corvanta {

ElidedLabel::ElidedLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

QSize ElidedLabel::minimumSizeHint() const
{
    // The label takes the width it is given, not the width of its text.
    return {0, QLabel::minimumSizeHint().height()};
}

void ElidedLabel::setFullText(const QString &text)
{
    // Eliding lays out the whole text: a reply of megabytes would hold the window.
    m_fullText = boundShownText(text);
    refresh();
}

void ElidedLabel::setToolTipLead(const QString &lead)
{
    m_lead = lead;
    refresh();
}

void ElidedLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    refresh();
}

void ElidedLabel::refresh()
{
    const int room = contentsRect().width() - 2 * margin() - 2;
    const QString shown = fontMetrics().elidedText(m_fullText, Qt::ElideRight, std::max(0, room));
    if (text() != shown)
        setText(shown);
    const bool cut = shown != m_fullText;
    if (m_lead.isEmpty())
        setToolTip(cut ? m_fullText : QString());
    else
        setToolTip(cut ? m_lead + u'\n' + m_fullText : m_lead);
}

ElidedLineEdit::ElidedLineEdit(QWidget *parent) : QLineEdit(parent)
{
    setReadOnly(true);
    connect(this, &QLineEdit::textChanged, this, &ElidedLineEdit::refreshTip);
}

QString elideDistinctly(const QFontMetrics &metrics, const QString &text, const QStringList &others, int width)
{
    const QString right = metrics.elidedText(text, Qt::ElideRight, width);
    if (right == text || !right.endsWith(u'…'))
        return right;
    // The first character that tells the text from another one with the same start shown.
    const QString head = right.chopped(1);
    qsizetype differ = -1;
    for (const QString &other : others) {
        if (other == text || !other.startsWith(head))
            continue;
        qsizetype i = head.size();
        while (i < text.size() && i < other.size() && text[i] == other[i])
            ++i;
        differ = std::max(differ, i);
    }
    if (differ < 0 || differ >= text.size())
        return right;
    // From the start of the number the difference lies in, and the character before it.
    qsizetype from = differ;
    while (from > 0 && text[from - 1].isDigit())
        --from;
    from = std::max<qsizetype>(1, from - 1);
    return metrics.elidedText(QStringLiteral("…") + text.mid(from), Qt::ElideRight, width);
}

namespace {

// Keeps a combo's items whole in its drop-down; lives as long as the combo.
class WholeItems : public QObject
{
public:
    explicit WholeItems(QComboBox *combo) : QObject(combo), m_combo(combo)
    {
        QAbstractItemModel *model = combo->model();
        connect(model, &QAbstractItemModel::rowsInserted, this, &WholeItems::refresh);
        connect(model, &QAbstractItemModel::modelReset, this, &WholeItems::refresh);
        connect(model, &QAbstractItemModel::dataChanged, this, &WholeItems::refresh);
        combo->view()->window()->installEventFilter(this);
        refresh();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The popup as placed by the combo, widened and kept on its screen.
        if (event->type() == QEvent::Show)
            fitPopup(static_cast<QWidget *>(watched));
        return false;
    }

private:
    void refresh()
    {
        for (int i = 0; i < m_combo->count(); ++i) {
            const QString text = m_combo->itemText(i);
            if (m_combo->itemData(i, Qt::ToolTipRole).toString() != text)
                m_combo->setItemData(i, text, Qt::ToolTipRole);
        }
    }

    int neededWidth() const
    {
        const QAbstractItemView *view = m_combo->view();
        int widest = 0;
        for (int i = 0; i < m_combo->count(); ++i)
            widest = std::max(widest, view->sizeHintForIndex(m_combo->model()->index(i, 0)).width());
        const QWidget *popup = view->window();
        // The popup's frame, the list's frame and a scroll bar when not every item shows.
        int width = widest + (popup->width() - view->viewport()->width());
        if (m_combo->count() > m_combo->maxVisibleItems() && view->verticalScrollBar()->isHidden())
            width += view->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view);
        return width + 4;
    }

    void fitPopup(QWidget *popup)
    {
        const QRect screen = (m_combo->screen() ? m_combo->screen() : QGuiApplication::primaryScreen())->availableGeometry();
        QRect area = popup->geometry();
        const int width = std::min(screen.width(), std::max(area.width(), neededWidth()));
        if (width == area.width())
            return;
        area.setWidth(width);
        if (area.right() > screen.right())
            area.moveRight(screen.right());
        area.moveLeft(std::max(area.left(), screen.left()));
        popup->setGeometry(area);
    }

    QComboBox *m_combo;
};

} // namespace

void dropDownWholeItems(QComboBox *combo)
{
    new WholeItems(combo);
}

QString ElidedLineEdit::shownText() const
{
    QStringList others;
    if (const auto *combo = qobject_cast<const QComboBox *>(parentWidget())) {
        for (int i = 0; i < combo->count(); ++i)
            others.append(combo->itemText(i));
    }
    return elideDistinctly(fontMetrics(), text(), others, std::max(0, textLineArea(this).width()));
}

void ElidedLineEdit::refreshTip()
{
    setToolTip(shownText() != text() ? text() : QString());
}

void ElidedLineEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    refreshTip();
}

void ElidedLineEdit::paintEvent(QPaintEvent *event)
{
    const QString shown = shownText();
    if (shown == text() || hasFocus()) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionFrame option;
    initStyleOption(&option);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    painter.drawText(textLineArea(this), Qt::AlignLeft | Qt::AlignVCenter, shown);
}

} // namespace corvanta
