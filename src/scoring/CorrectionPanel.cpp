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
    classEdit = box("txt_class");
    classEdit->hide();
    nameEdit = box("Text8");
    nameEdit->setEnabled(false);
    // Not editable, but the name the teacher corrects must read clearly.
    drawDisabledInFullContrast(nameEdit);
    scoreEdit = box("Text9");
    timeEdit = box("Text10");
    standardEdit = box("Text14");
    okButton = new QPushButton(QStringLiteral("确定"), this);
    okButton->setObjectName(QStringLiteral("Command25"));
    cancelButton = new QPushButton(QStringLiteral("取消"), this);
    cancelButton->setObjectName(QStringLiteral("Command26"));

    auto *fields = new QGridLayout;
    const struct
    {
        const char16_t *label;
        QLineEdit *edit;
    } rows[] = {
        {u"姓名：", nameEdit}, {u"计分：", scoreEdit}, {u"时间：", timeEdit}, {u"标准：", standardEdit}};
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
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addStretch();
    layout->addLayout(buttons);

    connect(okButton, &QPushButton::clicked, this, &CorrectionPanel::accept);
    connect(cancelButton, &QPushButton::clicked, this, [this] { emit closed(m_row, false); });
}

bool CorrectionPanel::openLine(int row)
{
    const QList<ScoreLine> &lines = m_context.pending.scores();
    if (row < 0 || row >= lines.size() || !correctable(lines[row]))
        return false;
    const ScoreLine &line = lines[row];
    m_row = row;
    m_opened = line;
    classEdit->setText(line.className);
    nameEdit->setText(line.student);
    scoreEdit->setText(line.score);
    timeEdit->setText(line.time);
    standardEdit->setText(line.standard);
    scoreEdit->setFocus();
    return true;
}

void CorrectionPanel::accept()
{
    const ScoreCorrection correction = correctScoreLine(ScoreLine{.className = classEdit->text(),
                                                                  .student = nameEdit->text(),
                                                                  .score = scoreEdit->text(),
                                                                  .time = timeEdit->text(),
                                                                  .standard = standardEdit->text()});
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
