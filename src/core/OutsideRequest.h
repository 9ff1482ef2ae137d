#pragma once

#include "core/Result.h"

#include <QString>

namespace corvanta {

// What other programs may ask of the running tool (a whiteboard's button, a browser's
// corvanta: link, a second start): start or stop a draw, show or collapse the window. Nothing
// else comes in from outside: no score, upload, login or data.
struct OutsideRequest
{
    enum class Action { None, Draw, Show, Hide };
    Action action = Action::None;
    // Draw: the caption of a pool ("未点"); empty for the pool the keys draw from.
    QString pool;

    bool isNone() const { return action == Action::None; }
    // As a corvanta: address ("corvanta://draw?pool=%E6%9C%AA%E7%82%B9"), the one form that
    // goes to the running tool.
    QString url() const;
    // For log lines: "draw 未点", "show".
    QString describe() const;

    // Reads "corvanta://draw", "corvanta://draw?pool=未点", "corvanta://show",
    // "corvanta://hide" (scheme and action in any case, a "/" after the action allowed).
    // Anything else fails with the reason for the log: another action, another parameter, a
    // repeated or empty pool, a user, port or fragment, more than 1 KiB.
    static Expected<OutsideRequest> fromUrl(const QString &text);
    // Whether an argument is meant as a corvanta: address (and so must be one).
    static bool looksLikeUrl(const QString &argument);
};

} // namespace corvanta
