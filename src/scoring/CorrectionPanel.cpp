#include "CorrectionPanel.h"

#include "PendingPrompts.h"
#include "PendingScores.h"
#include "ScoreCorrection.h"

#include "widgets/ClassroomLook.h"
#include "widgets/Prompter.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvanta {

CorrectionPanel::CorrectionPanel(AppContext &context, QWidget *parent) : QGroupBox(parent), m_context(context)
{
    setObjectName(QStringLiteral("Frame7"));
    setTitle(QStringLiteral("修改数据"));
    setAutoFillBackground(true);

    auto box = [this](const char *name) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        return edit;
    };
    txt_class = box("txt_class");
    txt_class->hide();
    Text8 = box("Text8");
    Text8->setEnabled(false);
    // Not editable, but the name the teacher corrects must read clearly.
    drawDisabledInFullContrast(Text8);
    Text9 = box("Text9");
    Text10 = box("Text10");
    Text14 = box("Text14");
    Command25 = new QPushButton(QStringLiteral("确定"), this);
    Command25->setObjectName(QStringLiteral("Command25"));
    Command26 = new QPushButton(QStringLiteral("取消"), this);
    Command26->setObjectName(QStringLiteral("Command26"));

    auto *fields = new QGridLayout;
    const struct
    {
        const char16_t *label;
        QLineEdit *edit;
    } rows[] = {{u"姓名：", Text8}, {u"计分：", Text9}, {u"时间：", Text10}, {u"标准：", Text14}};
    int at = 0;
    for (const auto &row : rows) {
        auto *label = new QLabel(QString::fromUtf16(row.label), this);
        label->setBuddy(row.edit);
        fields->addWidget(label, at, 0);
        fields->addWidget(row.edit, at, 1);
        showStartOfFilledText(row.edit);
        ++at;
    }
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command25);
    buttons->addWidget(Command26);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addStretch();
    layout->addLayout(buttons);

    connect(Command25, &QPushButton::clicked, this, &CorrectionPanel::accept);
    connect(Command26, &QPushButton::clicked, this, [this] { emit closed(m_row, false); });
}

bool CorrectionPanel::openLine(int row)
{
    const QList<ScoreLine> &lines = m_context.pending.scores();
    if (row < 0 || row >= lines.size() || !correctable(lines[row]))
        return false;
    const ScoreLine &line = lines[row];
    m_row = row;
    m_opened = line;
    txt_class->setText(line.className);
    Text8->setText(line.student);
    Text9->setText(line.score);
    Text10->setText(line.time);
    Text14->setText(line.standard);
    Text9->setFocus();
    return true;
}

void CorrectionPanel::accept()
{
    const ScoreCorrection correction = correctScoreLine(ScoreLine{.className = txt_class->text(),
                                                                  .student = Text8->text(),
                                                                  .score = Text9->text(),
                                                                  .time = Text10->text(),
                                                                  .standard = Text14->text()});
    if (!correction) {
        // The panel stays open with what was typed, so the teacher can mend it.
        m_context.prompter.message(this, QStringLiteral("提示"), correction.error(), PromptIcon::Warning);
        return;
    }
    const QList<ScoreLine> &lines = m_context.pending.scores();
    int row = m_row;
    if (row < 0 || row >= lines.size() || lines[row] != m_opened)
        row = int(lines.indexOf(m_opened));
    if (row < 0) {
        m_context.prompter.message(this, QStringLiteral("提示"),
                                   QStringLiteral("这条成绩已不在待上传列表中，修改没有保存。"),
                                   PromptIcon::Warning);
        emit closed(-1, false);
        return;
    }
    if (const Result kept = m_context.pending.replaceLine(row, *correction); !kept)
        reportPendingWriteFailure(m_context.prompter, this, kept);
    emit closed(row, true);
}

} // namespace corvanta
