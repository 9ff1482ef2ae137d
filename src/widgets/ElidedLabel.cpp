#include "ElidedLabel.h"

#include "ClassroomLook.h"
#include "ShownText.h"

#include <QPainter>
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

QString ElidedLineEdit::shownText() const
{
    return fontMetrics().elidedText(text(), Qt::ElideRight, std::max(0, textLineArea(this).width()));
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
