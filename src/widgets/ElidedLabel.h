#pragma once

#include <QLabel>
#include <QLineEdit>

namespace corvanta {

// A label that keeps its whole text but shows only what fits, with an ellipsis, and offers
// the whole text in its tool tip (after a fixed lead-in, when one is given).
class ElidedLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget *parent = nullptr);

    // Kept as boundShownText gives it.
    void setFullText(const QString &text);
    const QString &fullText() const { return m_fullText; }
    // Shown above the whole text in the tool tip.
    void setToolTipLead(const QString &lead);

    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void refresh();

    QString m_fullText;
    QString m_lead;
};

// A read-only box (the line of a combo) that draws a text too long for it with an ellipsis
// and offers the whole text in its tool tip; its text stays whole.
class ElidedLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit ElidedLineEdit(QWidget *parent = nullptr);

    // The text as drawn.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void refreshTip();
};

} // namespace corvanta
