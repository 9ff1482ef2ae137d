#include "FormControls.h"

#include "widgets/TwipsLayout.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace corvanta::form_controls {

namespace {

template <typename T> T *placed(T *control, const QString &name, QRect rect)
{
    control->setObjectName(name);
    placeInForm(control->parentWidget(), control, rect);
    return control;
}

} // namespace

QLabel *label(QWidget *parent, const QString &name, const QString &caption, QRect rect)
{
    return placed(new QLabel(caption, parent), name, rect);
}

QLineEdit *box(QWidget *parent, const QString &name, QRect rect)
{
    return placed(new QLineEdit(parent), name, rect);
}

QLineEdit *passwordBox(QWidget *parent, const QString &name, QRect rect)
{
    QLineEdit *edit = box(parent, name, rect);
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42;")); // "*"
    return edit;
}

QGroupBox *frame(QWidget *parent, const QString &name, const QString &caption, QRect rect)
{
    QGroupBox *box = placed(new QGroupBox(caption, parent), name, rect);
    new TwipsLayout(box);
    return box;
}

QPushButton *button(QWidget *parent, const QString &name, const QString &caption, QRect rect)
{
    QPushButton *b = placed(new QPushButton(caption, parent), name, rect);
    b->setAutoDefault(false);
    return b;
}

QCheckBox *check(QWidget *parent, const QString &name, const QString &caption, QRect rect)
{
    return placed(new QCheckBox(caption, parent), name, rect);
}

void centreOnScreen(QWidget *window)
{
    if (const QScreen *s = window->screen())
        window->move(s->availableGeometry().center() - window->rect().center());
}

} // namespace corvanta::form_controls
