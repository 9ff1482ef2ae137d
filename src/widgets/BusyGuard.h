#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

#include <initializer_list>

namespace corvanta {

// Held for as long as a window waits for a request while events keep running. It disables
// the given controls (clicks meanwhile do nothing), marks the window busy, and on release
// gives each control back the state it had. The window may be closed or deleted during
// the wait: windowAlive() says whether it still exists, and nothing is touched once it
// is gone.
//
//     BusyGuard busy(this, {Command13, List4});
//     const HttpResult reply = link.send(...);
//     if (!busy.windowAlive())
//         return;
class BusyGuard
{
public:
    BusyGuard(QWidget *window, std::initializer_list<QWidget *> controls);
    BusyGuard(QWidget *window, const QList<QWidget *> &controls);
    ~BusyGuard();
    BusyGuard(const BusyGuard &) = delete;
    BusyGuard &operator=(const BusyGuard &) = delete;

    bool windowAlive() const { return !m_window.isNull(); }
    // Gives the controls back now rather than at the end of the scope.
    void release();
    // Changes the state a control gets back on release (its enabling rule changed meanwhile).
    void setRestoredState(QWidget *control, bool enabled);

    // True while a guard holds the window (or a window it belongs to).
    static bool isBusy(const QWidget *window);

private:
    struct Held
    {
        QPointer<QWidget> control;
        bool wasEnabled;
    };
    QPointer<QWidget> m_window;
    QList<Held> m_held;
    bool m_released = false;
};

} // namespace corvanta
