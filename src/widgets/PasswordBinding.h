#pragma once

class QLineEdit;

namespace corvanta {

class Session;

// The box shows the session's operation password and every change typed into it goes to
// the session, so all boxes bound so show one value.
void bindOperationPassword(QLineEdit *box, Session &session);

} // namespace corvanta
