#include "BusyGuard.h"

#include "net/ServerLink.h"

#include <QVariant>

namespace corvanta {

namespace {

constexpr char kBusyProperty[] = "corvantaBusyDepth";

void changeDepth(QWidget *window, int by)
{
    const int depth = window->property(kBusyProperty).toInt() + by;
    window->setProperty(kBusyProperty, depth > 0 ? QVariant(depth) : QVariant());
}

} // namespace

BusyGuard::BusyGuard(QWidget *window, std::initializer_list<QWidget *> controls)
    : BusyGuard(window, QList<QWidget *>(controls))
{
}

BusyGuard::BusyGuard(QWidget *window, const QList<QWidget *> &controls) : m_window(window)
{
    if (window)
        changeDepth(window, +1);
    for (QWidget *control : controls) {
        if (!control)
            continue;
        m_held.append({control, control->isEnabled()});
        control->setEnabled(false);
    }
}

BusyGuard::~BusyGuard()
{
    release();
}

void BusyGuard::release()
{
    if (m_released)
        return;
    m_released = true;
    if (m_window.isNull())
        return;
    changeDepth(m_window, -1);
    // Given back in reverse, so a control listed twice ends as it began.
    for (auto it = m_held.crbegin(); it != m_held.crend(); ++it) {
        if (!it->control.isNull())
            it->control->setEnabled(it->wasEnabled);
    }
}

void BusyGuard::setRestoredState(QWidget *control, bool enabled)
{
    for (Held &held : m_held) {
        if (held.control == control)
            held.wasEnabled = enabled;
    }
}

bool BusyGuard::isBusy(const QWidget *window)
{
    for (const QWidget *w = window; w; w = w->parentWidget()) {
        if (w->property(kBusyProperty).toInt() > 0)
            return true;
    }
    return false;
}

std::optional<HttpResult> sendAndWait(BusyGuard &busy, ServerLink &link, const PageCall &call)
{
    return busy.wait([&] { return link.send(call); });
}

} // namespace corvanta
