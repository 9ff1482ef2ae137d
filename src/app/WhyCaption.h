#pragma once

#include <QLabel>

class QTimer;

namespace corvanta {

// Why the drawn student was chosen, where the class can read it: across the foot of the name
// box for a few seconds after the draw stops. A projector or a touch screen shows no tool tip.
class WhyCaption : public QLabel
{
    Q_OBJECT
public:
    static constexpr int ShownMilliseconds = 6000;

    explicit WhyCaption(QWidget *parent);

    // Shows the first line of `why` across the bottom of `box` (in the parent's coordinates)
    // until the time is up or hideNow().
    void showFor(const QString &why, const QRect &box);
    void hideNow();
    // The height it takes from the foot of the box while it shows; 0 when hidden.
    int takenHeight() const;

signals:
    // Shown or hidden: the name above it is laid out again.
    void roomChanged();

private:
    QTimer *m_timer;
};

} // namespace corvanta
