#pragma once

// The checks of the window-fit test: what a teacher cannot read in one window.
#include "app/NameDisplay.h"
#include "widgets/ClassroomLook.h"
#include "widgets/ElidedLabel.h"
#include "widgets/TwipsLayout.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGlyphRun>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRawFont>
#include <QScrollBar>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <QTabBar>
#include <QTextEdit>
#include <QTextLayout>

namespace corvanta::test {

inline bool isHan(QChar c)
{
    const ushort u = c.unicode();
    return (u >= 0x3400 && u <= 0x9fff) || (u >= 0xf900 && u <= 0xfaff);
}

// The faces that draw the Chinese characters of a text in a font.
inline QStringList facesOfHan(const QString &text, const QFont &font)
{
    QString han;
    for (QChar c : text) {
        if (isHan(c))
            han += c;
    }
    if (han.isEmpty())
        return {};
    QTextLayout layout(han, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QStringList faces;
    for (const QGlyphRun &run : layout.glyphRuns())
        faces.append(run.rawFont().familyName());
    return faces;
}

inline QString withoutMnemonic(QString text)
{
    return text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
}

inline QString nameOf(const QWidget *w)
{
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
}

// Where a control draws its text line, in its own coordinates; null for controls without one.
inline QRect textRoom(const QWidget *w)
{
    return textLineArea(w);
}

inline QString shownText(const QWidget *w)
{
    if (const auto *elided = qobject_cast<const ElidedLineEdit *>(w))
        return elided->shownText();
    if (const auto *edit = qobject_cast<const QLineEdit *>(w))
        return edit->displayText();
    // An editable combo's text is its line's, checked there.
    if (const auto *combo = qobject_cast<const QComboBox *>(w))
        return combo->isEditable() ? QString() : combo->currentText();
    if (const auto *button = qobject_cast<const QAbstractButton *>(w))
        return withoutMnemonic(button->text());
    if (const auto *label = qobject_cast<const QLabel *>(w))
        return label->pixmap().isNull() && label->textFormat() != Qt::RichText ? label->text() : QString();
    return {};
}

inline bool isTextControl(const QWidget *w)
{
    if (const auto *label = qobject_cast<const QLabel *>(w))
        return !label->text().isEmpty();
    return !textRoom(w).isNull() || qobject_cast<const QAbstractItemView *>(w);
}

// Drawn by their ink, not by lines of their font: the name display fits the name's glyphs
// to its box, and the score box's 18-point digits and 分 stand inside its line.
inline bool fitsByInk(const QWidget *w)
{
    if (qobject_cast<const NameDisplay *>(w))
        return true;
    const QWidget *combo = qobject_cast<const QComboBox *>(w) ? w : w->parentWidget();
    return combo && combo->objectName() == QStringLiteral("Combo1");
}

// Everything a teacher cannot read in one window as it stands now.
class FitCheck
{
public:
    explicit FitCheck(QWidget *top) : m_top(top) {}

    QStringList run()
    {
        QList<QWidget *> all = m_top->findChildren<QWidget *>();
        all.prepend(m_top);
        for (QWidget *w : all) {
            if (!w->isVisibleTo(m_top) || !m_top->isVisible())
                continue;
            checkText(w);
            checkList(w);
            checkGroupBox(w);
            checkTabs(w);
            checkSiblings(w);
        }
        return m_problems;
    }

private:
    void fail(const QWidget *w, const QString &what) { m_problems.append(nameOf(w) + QStringLiteral(": ") + what); }

    void checkFace(const QWidget *w, const QString &text, const QFont &font)
    {
        for (const QString &face : facesOfHan(text, font)) {
            if (!face.contains(QStringLiteral(" SC")))
                fail(w, QStringLiteral("\"%1\" drawn with %2").arg(text, face));
        }
    }

    void checkText(QWidget *w)
    {
        const QRect room = textRoom(w);
        const QString text = shownText(w);
        if (room.isNull())
            return;
        const QFontMetrics fm = w->fontMetrics();
        const auto *label = qobject_cast<const QLabel *>(w);
        if (qobject_cast<const NameDisplay *>(w)) {
            // A long name stands in two lines: its ink is what must fit.
            checkInk(w, room);
            if (!text.isEmpty())
                checkFace(w, text, w->font());
            return;
        }
        if (fitsByInk(w)) {
            checkInk(w, room);
        } else if ((!label || !text.isEmpty()) && fm.height() > room.height() && !(label && label->wordWrap())) {
            // Every box and caption holds a line of its font, text or not.
            fail(w, QStringLiteral("a line is %1 px high, the room %2").arg(fm.height()).arg(room.height()));
        }
        if (text.isEmpty())
            return;
        checkFace(w, text, w->font());
        if (label && label->wordWrap()) {
            const QRect need = fm.boundingRect(room, int(label->alignment()) | Qt::TextWordWrap, text);
            if (need.height() > room.height())
                fail(w, QStringLiteral("\"%1\" needs %2 px of height, has %3").arg(text).arg(need.height()).arg(room.height()));
            return;
        }
        int width = 0;
        for (const QString &line : text.split(u'\n'))
            width = std::max(width, fm.horizontalAdvance(line));
        if (width > room.width())
            fail(w, QStringLiteral("\"%1\" is %2 px wide, the room %3").arg(text).arg(width).arg(room.width()));
    }

    // The glyphs of every text the control shows, placed as a line box centred in the room.
    void checkInk(QWidget *w, const QRect &room)
    {
        QStringList texts;
        if (auto *name = qobject_cast<NameDisplay *>(w)) {
            if (!name->text().isEmpty() && !name->rect().contains(name->inkRect()))
                fail(w, QStringLiteral("the name's glyphs run out of the box"));
            return;
        }
        if (auto *combo = qobject_cast<QComboBox *>(w)) {
            for (int i = 0; i < combo->count(); ++i)
                texts.append(combo->itemText(i));
        }
        const QFontMetrics fm = w->fontMetrics();
        const int baseline = room.top() + (room.height() - fm.height() + 1) / 2 + fm.ascent();
        for (const QString &text : texts) {
            QTextLayout layout(text, w->font());
            layout.beginLayout();
            layout.createLine();
            layout.endLayout();
            for (const QGlyphRun &run : layout.glyphRuns()) {
                for (const quint32 glyph : run.glyphIndexes()) {
                    const QRectF ink = run.rawFont().boundingRect(glyph);
                    if (baseline + ink.top() < room.top() || baseline + ink.bottom() > room.bottom() + 1)
                        fail(w, QStringLiteral("the glyphs of \"%1\" run out of the line (%2..%3 in %4..%5)")
                                    .arg(text)
                                    .arg(baseline + ink.top())
                                    .arg(baseline + ink.bottom())
                                    .arg(room.top())
                                    .arg(room.bottom()));
                }
            }
        }
    }

    void checkList(QWidget *w)
    {
        auto *view = qobject_cast<QListWidget *>(w);
        if (!view)
            return;
        const QRect viewport = view->viewport()->rect();
        const QFontMetrics fm = view->fontMetrics();
        QStyleOptionViewItem option;
        option.initFrom(view);
        option.font = view->font();
        for (int row = 0; row < view->count(); ++row) {
            const QModelIndex index = view->model()->index(row, 0);
            const QRect rect = view->visualRect(index);
            if (!rect.intersects(viewport))
                continue;
            const QString text = index.data().toString();
            checkFace(view, text, view->font());
            if (rect.height() < fm.height())
                fail(view, QStringLiteral("line %1 is %2 px high, its font %3").arg(row).arg(rect.height()).arg(fm.height()));
            const int width = view->itemDelegateForIndex(index)->sizeHint(option, index).width();
            // A list that wraps its lines shows a long one in as many lines as it needs.
            if (view->wordWrap()) {
                const QRect wrapped = fm.boundingRect(QRect(0, 0, std::max(1, rect.width() - 4), 100000),
                                                      Qt::TextWordWrap, text);
                if (wrapped.height() > rect.height())
                    fail(view, QStringLiteral("line \"%1\" needs %2 px of height, has %3")
                                   .arg(text)
                                   .arg(wrapped.height())
                                   .arg(rect.height()));
                continue;
            }
            // A longer line scrolls into view, or ends in "…" and shows whole in its tip.
            const bool scrolls = view->horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff &&
                                 view->horizontalScrollBar()->maximum() >= width - viewport.width();
            const bool elided = view->textElideMode() != Qt::ElideNone && index.data(Qt::ToolTipRole).toString() == text;
            if (width > viewport.width() && !scrolls && !elided)
                fail(view, QStringLiteral("line \"%1\" is %2 px wide, the list %3").arg(text).arg(width).arg(viewport.width()));
        }
    }

    void checkGroupBox(QWidget *w)
    {
        auto *box = qobject_cast<QGroupBox *>(w);
        if (!box)
            return;
        if (!box->title().isEmpty()) {
            checkFace(box, box->title(), box->font());
            QStyleOptionGroupBox opt;
            opt.initFrom(box);
            opt.text = box->title();
            opt.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
            const QRect label = box->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, box);
            if (box->fontMetrics().horizontalAdvance(box->title()) > label.width() || label.right() >= box->width())
                fail(box, QStringLiteral("title \"%1\" is cut").arg(box->title()));
        }
        // Its controls stand in its content area: none crosses the title or the border.
        const QRect content = box->contentsRect();
        for (QWidget *child : box->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (child->isVisibleTo(box) && child->isWindow() == false && isTextControl(child) &&
                !content.contains(child->geometry()))
                fail(child, QStringLiteral("stands outside the content area of %1").arg(nameOf(box)));
        }
    }

    void checkTabs(QWidget *w)
    {
        auto *tabs = qobject_cast<QTabBar *>(w);
        if (!tabs)
            return;
        for (int i = 0; i < tabs->count(); ++i) {
            checkFace(tabs, tabs->tabText(i), tabs->font());
            if (tabs->fontMetrics().horizontalAdvance(tabs->tabText(i)) > tabs->tabRect(i).width() ||
                !tabs->rect().contains(tabs->tabRect(i)))
                fail(tabs, QStringLiteral("tab \"%1\" is cut").arg(tabs->tabText(i)));
        }
    }

    // Text controls side by side cover none of each other and stay inside their parent.
    void checkSiblings(QWidget *w)
    {
        // The search results open over the panel (checked on their own).
        if (w == m_top || !isTextControl(w) || w->objectName() == QStringLiteral("List2"))
            return;
        QWidget *parent = w->parentWidget();
        if (!parent)
            return;
        if (!parent->rect().contains(w->geometry()))
            fail(w, QStringLiteral("runs past the edge of %1").arg(nameOf(parent)));
        for (QWidget *other : parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (other == w || other->isWindow() || !other->isVisibleTo(m_top) || !isTextControl(other) ||
                other->objectName() == QStringLiteral("List2"))
                continue;
            // Each pair once.
            if (parent->children().indexOf(other) < parent->children().indexOf(w))
                continue;
            if (w->geometry().intersects(other->geometry()))
                fail(w, QStringLiteral("covers %1").arg(nameOf(other)));
        }
    }

    QWidget *m_top;
    QStringList m_problems;
};

} // namespace corvanta::test
