#include "PasswordBinding.h"

#include "net/Session.h"

#include <QLineEdit>

namespace corvanta {

void bindOperationPassword(QLineEdit *box, Session &session)
{
    box->setText(session.operationPassword());
    // Each side only passes on a real change, so the two never echo each other.
    QObject::connect(box, &QLineEdit::textChanged, &session, &Session::setOperationPassword);
    QObject::connect(&session, &Session::operationPasswordChanged, box, [box](const QString &password) {
        if (box->text() != password)
            box->setText(password);
    });
}

} // namespace corvanta
