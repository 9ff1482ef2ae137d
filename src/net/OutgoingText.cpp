#include "OutgoingText.h"

#include "core/TextCodec.h"
#include "net/FieldLimits.h"

#include <QSet>

namespace corvanta::outgoing {

namespace {

int limitOf(TextKind kind)
{
    switch (kind) {
    case TextKind::ScaleText:
        return limits::kScaleTextChars;
    case TextKind::Note:
        return limits::kNoteChars;
    case TextKind::Name:
        break;
    }
    return limits::kNameChars;
}

// Enough of a long text to recognise it in a message.
QString shown(const QString &text)
{
    constexpr int kShown = 20;
    return text.size() <= kShown ? text : text.left(kShown) + QStringLiteral("…");
}

} // namespace

Result checkText(const QString &text, TextKind kind)
{
    const int limit = limitOf(kind);
    if (text.size() > limit)
        return Result::failure(QStringLiteral("“%1”超过%2个字，请缩短后再试！").arg(shown(text)).arg(limit));
    for (qsizetype i = 0; i < text.size();) {
        // One character, with both halves of a surrogate pair.
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QStringView character = QStringView(text).sliced(i, length);
        if (!fitsGbk(character))
            return Result::failure(QStringLiteral("“%1”中的字“%2”无法发送到服务器（服务器只收GBK字符），"
                                                  "请改用其他写法！")
                                       .arg(shown(text), character.toString()));
        i += length;
    }
    return Result::success();
}

Result checkTexts(const QStringList &texts, TextKind kind)
{
    for (const QString &text : texts) {
        if (Result checked = checkText(text, kind); !checked)
            return checked;
    }
    return Result::success();
}

Result checkStudentList(const QStringList &names)
{
    QSet<QString> seen;
    for (const QString &name : names) {
        if (name.trimmed().isEmpty())
            return Result::failure(QStringLiteral("学生名单中有空白的姓名，请删除后再试！"));
        if (seen.contains(name))
            return Result::failure(QStringLiteral("学生名单中“%1”出现了两次，请删除重复的姓名后再试！").arg(shown(name)));
        seen.insert(name);
    }
    return Result::success();
}

Result checkFilled(const QString &text, const QString &what)
{
    if (text.trimmed().isEmpty())
        return Result::failure(what + QStringLiteral("不能为空！"));
    return Result::success();
}

} // namespace corvanta::outgoing
