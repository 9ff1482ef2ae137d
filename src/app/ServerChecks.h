#pragma once

#include "widgets/AppContext.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace corvanta {

// Clock check: the server's reply to the clock page (decimal Unix seconds, read by its
// leading number) against the computer's "now". Returns the message to show when they
// differ by more than 300 seconds and the server time lies after 2013-03-15 00:00 local
// time; nothing otherwise (also for a reply that is no time at all).
std::optional<QString> CheckServerClock(const QString &serverReply, const QDateTime &localNow);

// Status panel 2 text for the vendor's version reply ("Selvane:" + version); nothing
// when the reply does not carry the prefix.
std::optional<QString> versionPanelText(const QString &reply);

// Panel 2 text while the version query waits.
QString checkingVersionText();

// The once-per-run checks of the main window's first one-second tick, and the status
// panel double-clicks that lead to the vendor's pages. The main window keeps one of these.
class ServerChecks
{
public:
    explicit ServerChecks(AppContext &context);

    // Clock check (a modal message when off), then the version query into panel 2.
    // Runs once: later calls, also nested ones while a request waits, do nothing.
    void runFirstTick(QWidget *parent, const std::function<void(const QString &)> &setPanel2Text);
    // Status panel double-click: 2 opens the download page, 5 the vendor's home page.
    // Returns false for every other panel.
    bool panelDoubleClicked(int panel);

private:
    AppContext &m_context;
    bool m_ran = false;
};

} // namespace corvanta
