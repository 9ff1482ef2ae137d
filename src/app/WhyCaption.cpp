#include "WhyCaption.h"

#include <QTimer>

namespace corvanta {

WhyCaption::WhyCaption(QWidget *parent) : QLabel(parent), m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("lblWhy"));
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignCenter);
    // Dark on pale, read from the back of the room; the name's red stays the first thing seen.
    setStyleSheet(QStringLiteral("#lblWhy { color: #0d2a4a; background: #fff6d5; }"));
    QFont f = font();
    f.setPointSize(11);
    setFont(f);
    hide();
    m_timer->setObjectName(QStringLiteral("WhyCaptionTimer"));
    m_timer->setSingleShot(true);
    m_timer->setInterval(ShownMilliseconds);
    connect(m_timer, &QTimer::timeout, this, &WhyCaption::hideNow);
}

void WhyCaption::showFor(const QString &why, const QRect &box)
{
    const QString line = why.section(u'\n', 0, 0).trimmed();
    if (line.isEmpty()) {
        hideNow();
        return;
    }
    setText(line);
    // As high as the wrapped line needs, at most half the box.
    const int need = heightForWidth(box.width()) > 0 ? heightForWidth(box.width()) : sizeHint().height();
    const int height = std::min(need + 4, box.height() / 2);
    setGeometry(box.left(), box.bottom() + 1 - height, box.width(), height);
    show();
    raise();
    m_timer->start();
    emit roomChanged();
}

void WhyCaption::hideNow()
{
    m_timer->stop();
    if (isHidden())
        return;
    hide();
    emit roomChanged();
}

int WhyCaption::takenHeight() const
{
    return isHidden() ? 0 : height();
}

} // namespace corvanta
