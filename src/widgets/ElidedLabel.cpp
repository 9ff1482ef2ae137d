#include "ElidedLabel.h"

#include "widgets/ShownText.h"

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

} // namespace corvanta
