#pragma once

#include <QRect>
#include <QString>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The account windows' controls, made the one way: object name, caption, place in twips.
namespace corvanta::form_controls {

QLabel *label(QWidget *parent, const QString &name, const QString &caption, QRect rect);
QLineEdit *box(QWidget *parent, const QString &name, QRect rect);
// Shows "*" for every character typed.
QLineEdit *passwordBox(QWidget *parent, const QString &name, QRect rect);
QGroupBox *frame(QWidget *parent, const QString &name, const QString &caption, QRect rect);
// Not a default button: Enter in a box does not press it.
QPushButton *button(QWidget *parent, const QString &name, const QString &caption, QRect rect);
QCheckBox *check(QWidget *parent, const QString &name, const QString &caption, QRect rect);

// Moves a window to the middle of its screen, as each account window stands when shown.
void centreOnScreen(QWidget *window);

} // namespace corvanta::form_controls
