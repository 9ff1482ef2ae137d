#pragma once

#include <QLabel>
#include <QLineEdit>

class QComboBox;

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

// A text cut to `width` pixels with "…" so that it does not look like any of `others`: where
// the start shown is the same in another text, the part where they differ is shown instead
// ("…(12)班理…" beside "…(13)班理…"). The whole text when it fits.
QString elideDistinctly(const QFontMetrics &metrics, const QString &text, const QStringList &others, int width);

// The drop-down of a combo shows every item whole: as wide as its longest item (at most the
// screen's width) and each item's whole text in its tip.
void dropDownWholeItems(QComboBox *combo);

// A read-only box (the line of a combo) that draws a text too long for it with an ellipsis
// and offers the whole text in its tool tip; its text stays whole. In a combo, the part shown
// tells the text from the combo's other items.
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
