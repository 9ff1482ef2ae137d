#include "ListOrder.h"

#include <QLocale>

namespace corvanta {

ListTextOrder::ListTextOrder() : m_collator(QLocale(QLocale::Chinese, QLocale::China))
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

bool ListTextOrder::operator()(const QString &a, const QString &b) const
{
    const int c = m_collator.compare(a, b);
    if (c != 0)
        return c < 0;
    return a < b;
}

} // namespace corvanta
