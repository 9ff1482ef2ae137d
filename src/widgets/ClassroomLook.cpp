#include "ClassroomLook.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleOptionComboBox>
#include <QListView>
#include <QScrollBar>
#include <QStyleOptionViewItem>
#include <QTranslator>

#include <memory>

namespace corvanta {

void useClassroomFonts()
{
    static bool done = false;
    if (done || !qApp)
        return;
    done = true;
    // Chinese in a Chinese face, never in a Japanese one (户, 返, 骨 in their Japanese forms).
    // Latin text keeps the desktop's face behind it.
    QFont font = QApplication::font();
    const QString desktopFace = font.family();
    QStringList families = chineseFaces();
    if (!desktopFace.isEmpty() && !families.contains(desktopFace))
        families.append(desktopFace);
    font.setFamilies(families);
    QApplication::setFont(font);
    substituteMissingFaces();
}

bool loadQtChinese()
{
    static QTranslator *loaded = nullptr;
    if (loaded || !qApp)
        return loaded != nullptr;
    auto translator = std::make_unique<QTranslator>(qApp);
    // Beside the program in its installed copy (Windows), else where Qt keeps them.
    const QString shipped = QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), shipped) &&
        !translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(translator.get());
    loaded = translator.release();
    return true;
}

void drawDisabledInFullContrast(QWidget *control)
{
    QPalette colours = control->palette();
    for (const QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        colours.setColor(QPalette::Disabled, role, colours.color(QPalette::Active, role));
    colours.setColor(QPalette::Disabled, QPalette::Base, colours.color(QPalette::Active, QPalette::Base));
    control->setPalette(colours);
}

void showStartOfFilledText(QLineEdit *box)
{
    // Typing keeps the cursor where the teacher puts it.
    QObject::connect(box, &QLineEdit::textChanged, box, [box] {
        if (!box->hasFocus())
            box->setCursorPosition(0);
    });
}

QRect textLineArea(const QWidget *w)
{
    QStyle *style = w->style();
    if (const auto *edit = qobject_cast<const QLineEdit *>(w)) {
        QStyleOptionFrame opt;
        opt.initFrom(edit);
        opt.rect = edit->rect();
        opt.lineWidth = edit->hasFrame() ? style->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, edit) : 0;
        // QLineEdit keeps two pixels at the sides of its text and clips the line to the rest.
        // A framed box keeps a pixel above and below the line too, as QLineEdit's own size
        // does: without it descenders touch the frame.
        const int vertical = edit->hasFrame() ? 1 : 0;
        return style->subElementRect(QStyle::SE_LineEditContents, &opt, edit)
            .marginsRemoved(edit->textMargins())
            .adjusted(2, vertical, -2, -vertical);
    }
    if (const auto *combo = qobject_cast<const QComboBox *>(w)) {
        QStyleOptionComboBox opt;
        opt.initFrom(combo);
        opt.editable = combo->isEditable();
        opt.frame = combo->hasFrame();
        return style->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, combo);
    }
    if (const auto *check = qobject_cast<const QCheckBox *>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(check);
        return style->subElementRect(QStyle::SE_CheckBoxContents, &opt, check);
    }
    if (const auto *button = qobject_cast<const QPushButton *>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(button);
        return style->subElementRect(QStyle::SE_PushButtonContents, &opt, button);
    }
    if (const auto *label = qobject_cast<const QLabel *>(w)) {
        const int m = label->margin();
        return label->contentsRect().adjusted(m, m, -m, -m);
    }
    return {};
}

int listHeightForLines(const QListView *list, int lines)
{
    // A line as the list's own item delegate sizes one.
    QStyleOptionViewItem option;
    option.initFrom(list);
    option.font = list->font();
    option.fontMetrics = list->fontMetrics();
    option.text = QStringLiteral("中g");
    option.features = QStyleOptionViewItem::HasDisplay;
    const int line = list->style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), list).height();
    int height = lines * line + 2 * list->frameWidth();
    if (list->horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
        height += list->horizontalScrollBar()->sizeHint().height();
    return height;
}

} // namespace corvanta
