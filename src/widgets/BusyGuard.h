#pragma once

#include "net/PageCall.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <initializer_list>
#include <optional>
#include <type_traits>
#include <utility>

namespace corvanta {

class ServerLink;

// Held for as long as a window waits for a request while events keep running. It disables
// the given controls (clicks meanwhile do nothing), marks the window busy, and on release
// gives each control back the state it had. The window may be closed or deleted during
// the wait: the wait's result says so, and nothing of the window is touched once it is
// gone.
//
//     BusyGuard busy(this, {sendButton, scoreList});
//     const auto reply = sendAndWait(busy, link, call);
//     if (!reply)
//         return; // the window went away meanwhile
class BusyGuard
{
public:
    BusyGuard(QWidget *window, std::initializer_list<QWidget *> controls);
    BusyGuard(QWidget *window, const QList<QWidget *> &controls);
    ~BusyGuard();
    BusyGuard(const BusyGuard &) = delete;
    BusyGuard &operator=(const BusyGuard &) = delete;

    // Runs a wait (a request, a download, a signal whose handlers wait) while held. What it
    // returned, or nullopt when the window was deleted (or closed for good) meanwhile; a wait
    // that returns nothing gives whether the window is still there.
    template <typename Wait> auto wait(Wait &&wait)
    {
        using Value = std::invoke_result_t<Wait>;
        if constexpr (std::is_void_v<Value>) {
            std::forward<Wait>(wait)();
            return windowAlive();
        } else {
            std::optional<Value> value(std::forward<Wait>(wait)());
            if (!windowAlive())
                value.reset();
            return value;
        }
    }
    // Gives the controls back now rather than at the end of the scope.
    void release();
    // Changes the state a control gets back on release (its enabling rule changed meanwhile).
    void setRestoredState(QWidget *control, bool enabled);

    // True while a guard holds the window (or a window it belongs to).
    static bool isBusy(const QWidget *window);

private:
    bool windowAlive() const { return !m_window.isNull(); }

    struct Held
    {
        QPointer<QWidget> control;
        bool wasEnabled;
    };
    QPointer<QWidget> m_window;
    QList<Held> m_held;
    bool m_released = false;
};

// Sends the call and waits for its reply while the guard holds the window: the reply, or
// nullopt when the window went away during the wait.
std::optional<HttpResult> sendAndWait(BusyGuard &busy, ServerLink &link, const PageCall &call);

} // namespace corvanta
