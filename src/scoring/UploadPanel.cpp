#include "UploadPanel.h"

#include "CorrectionPanel.h"
#include "GroupStats.h"
#include "GroupStatsPanel.h"
#include "PendingPrompts.h"
#include "PendingScores.h"
#include "ScoreDataFile.h"
#include "ScoreRecorder.h"
#include "ScoreUndo.h"

#include "core/AppConfig.h"
#include "net/LoginState.h"
#include "net/OutgoingText.h"
#include "net/ScoreRequests.h"
#include "net/ServerLink.h"
#include "net/Session.h"
#include "widgets/BusyGuard.h"
#include "widgets/ClassroomLook.h"
#include "widgets/PasswordBinding.h"
#include "widgets/Prompter.h"
#include "widgets/TabColumns.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace corvanta {

namespace {

const QString kDataFileFilter = QStringLiteral("Corvan成绩记录(*.cvr);;All Files(*.*)");
const QString kCrLf = QStringLiteral("\r\n");

QString shownPath(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

// Each on a line of its own, the first ten; a box taller than the screen helps nobody.
QString listedLines(const QStringList &lines)
{
    constexpr int kShown = 10;
    QString listed;
    for (qsizetype i = 0; i < lines.size() && i < kShown; ++i)
        listed += kCrLf + lines[i];
    if (lines.size() > kShown)
        listed += kCrLf + QStringLiteral("……");
    return listed;
}

bool sameFile(const QString &a, const QString &b)
{
    const QFileInfo fa(a);
    const QFileInfo fb(b);
    const QString ca = fa.canonicalFilePath();
    if (!ca.isEmpty())
        return ca == fb.canonicalFilePath();
    return fa.absoluteFilePath() == fb.absoluteFilePath();
}

} // namespace

UploadPanel::UploadPanel(AppContext &context, QWidget *parent)
    : QGroupBox(parent), m_context(context), m_pending(context.pending),
      m_recorder(std::make_unique<ScoreRecorder>(context.config.dataDir, context.pending, context.clock))
{
    setObjectName(QStringLiteral("Frame4"));
    setTitle(QStringLiteral("上传到服务器"));

    scoreList = new QListWidget(this);
    scoreList->setObjectName(QStringLiteral("List4"));
    scoreList->setSelectionMode(QAbstractItemView::MultiSelection); // a click toggles a line
    // Six pending scores show at once; the window makes room for them.
    scoreList->setMinimumHeight(listHeightForLines(scoreList, 6));
    new TabColumns(scoreList);

    uploadRegister = new QListWidget(this);
    uploadRegister->setObjectName(QStringLiteral("List3"));
    uploadRegister->setToolTip(QStringLiteral("上传寄存器"));
    uploadRegister->hide();

    topicEdit = new QLineEdit(this);
    topicEdit->setObjectName(QStringLiteral("Text5"));
    passwordEdit = new QLineEdit(this);
    passwordEdit->setObjectName(QStringLiteral("Text4"));
    passwordEdit->setEchoMode(QLineEdit::Password);
    passwordEdit->setStyleSheet(QStringLiteral("lineedit-password-character: 42;")); // "*"
    bindOperationPassword(passwordEdit, context.session);

    uploadButton = new QPushButton(QStringLiteral("上传"), this);
    uploadButton->setObjectName(QStringLiteral("Command13"));
    uploadButton->setEnabled(false);
    backButton = new QPushButton(QStringLiteral("返回"), this);
    backButton->setObjectName(QStringLiteral("Command12"));
    exportButton = new QPushButton(QStringLiteral("导出"), this);
    exportButton->setObjectName(QStringLiteral("Command14"));
    importButton = new QPushButton(QStringLiteral("导入"), this);
    importButton->setObjectName(QStringLiteral("Command15"));
    groupStatsButton = new QPushButton(QStringLiteral("小组统计"), this);
    groupStatsButton->setObjectName(QStringLiteral("Command27"));
    removeButton = new QPushButton(QStringLiteral("删除"), this);
    removeButton->setObjectName(QStringLiteral("btnRemove"));
    removeButton->setToolTip(QStringLiteral("从待上传列表中删除选中的成绩（当天日志记下删除）"));

    auto *fields = new QGridLayout;
    auto *topicLabel = new QLabel(QStringLiteral("课题："), this);
    topicLabel->setBuddy(topicEdit);
    auto *passwordLabel = new QLabel(QStringLiteral("操作密码："), this);
    passwordLabel->setBuddy(passwordEdit);
    fields->addWidget(topicLabel, 0, 0);
    fields->addWidget(topicEdit, 0, 1);
    fields->addWidget(passwordLabel, 1, 0);
    fields->addWidget(passwordEdit, 1, 1);

    m_buttonRow = new QHBoxLayout;
    m_buttonRow->addWidget(uploadButton);
    m_buttonRow->addWidget(exportButton);
    m_buttonRow->addWidget(importButton);
    m_buttonRow->addWidget(groupStatsButton);
    m_buttonRow->addWidget(removeButton);
    m_buttonRow->addStretch();
    m_buttonRow->addWidget(backButton);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(scoreList, 1);
    layout->addWidget(uploadRegister);
    layout->addLayout(fields);
    layout->addLayout(m_buttonRow);

    m_correction = new CorrectionPanel(context, parent);
    m_correction->hide();
    connect(m_correction, &CorrectionPanel::closed, this, &UploadPanel::correctionClosed);
    connect(scoreList, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { openCorrection(scoreList->row(item)); });

    m_groupStats = new GroupStatsPanel(parent);
    m_groupStats->hide();
    connect(groupStatsButton, &QPushButton::clicked, this, [this] {
        if (!waiting())
            emit groupStatisticsRequested();
    });
    connect(m_groupStats, &GroupStatsPanel::closeRequested, this, [this] {
        m_groupStats->hide();
        show();
    });

    connect(passwordEdit, &QLineEdit::textChanged, this, [this] { updateSendEnabled(false); });
    updateSendEnabled(false); // the session may hold a password already
    connect(uploadButton, &QPushButton::clicked, this, &UploadPanel::upload);
    connect(exportButton, &QPushButton::clicked, this, &UploadPanel::saveSelected);
    connect(importButton, &QPushButton::clicked, this, &UploadPanel::importFile);
    connect(removeButton, &QPushButton::clicked, this, &UploadPanel::removeSelected);
    connect(backButton, &QPushButton::clicked, this, [this] {
        if (!waiting())
            emit closeRequested();
    });

    connect(&m_pending, &PendingScores::linesAppended, this,
            [this](int first, const QList<ScoreLine> &lines) {
                scoreList->addItems(scoreTexts(lines));
                for (int row = first; row < scoreList->count(); ++row)
                    showRefusal(scoreList->item(row));
            });
    connect(&m_pending, &PendingScores::rowsRemoved, this, [this](const QList<int> &rows) {
        for (auto it = rows.crbegin(); it != rows.crend(); ++it)
            delete scoreList->takeItem(*it);
    });
    connect(&m_pending, &PendingScores::lineReplaced, this, [this](int row, const ScoreLine &line) {
        if (QListWidgetItem *item = scoreList->item(row)) {
            item->setText(line.text());
            showRefusal(item);
        }
    });
    connect(&m_pending, &PendingScores::reset, this, &UploadPanel::rebuildList);
    rebuildList();
}

UploadPanel::~UploadPanel()
{
    // They live beside this panel; without a parent they would outlive it.
    delete m_correction.data();
    delete m_groupStats.data();
}

void UploadPanel::showInMyPlace(QWidget *panel)
{
    panel->setGeometry(geometry());
    panel->show();
    panel->raise();
    hide();
}

void UploadPanel::openCorrection(int row)
{
    if (waiting() || !m_correction->openLine(row))
        return;
    showInMyPlace(m_correction);
}

// The double-click that opened the panel toggled the line: a correction leaves the line
// selected, a cancel gives it back the state it had before.
void UploadPanel::correctionClosed(int row, bool corrected)
{
    m_correction->hide();
    show();
    if (QListWidgetItem *item = row >= 0 ? scoreList->item(row) : nullptr)
        item->setSelected(corrected || !item->isSelected());
}

void UploadPanel::showGroupStatistics(const QString &className, const QList<QStringList> &groups)
{
    if (waiting())
        return;
    m_groupStats->showStatistics(m_pending.scores(), groups, className);
    showInMyPlace(m_groupStats);
}

void UploadPanel::rebuildList()
{
    scoreList->clear();
    scoreList->addItems(m_pending.lines());
    for (int row = 0; row < scoreList->count(); ++row)
        showRefusal(scoreList->item(row));
}

void UploadPanel::showRefusal(QListWidgetItem *item) const
{
    const QString reason = m_refusals.value(item->text());
    if (reason.isEmpty()) {
        item->setData(Qt::DecorationRole, {});
        item->setData(Qt::ForegroundRole, {});
        item->setData(Qt::ToolTipRole, {});
        return;
    }
    item->setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
    item->setForeground(QColor(0xa0, 0x10, 0x10));
    item->setToolTip(QStringLiteral("服务器没有接受这条成绩：") + reason);
}

QString UploadPanel::refusal(int row) const
{
    const QListWidgetItem *item = scoreList->item(row);
    return item ? m_refusals.value(item->text()) : QString();
}

void UploadPanel::addScoreLine(const ScoreLine &line)
{
    if (const Result kept = m_pending.append(line); !kept)
        reportStoreError(kept);
}

void UploadPanel::setTopic(const QString &text)
{
    topicEdit->setText(text);
}

QString UploadPanel::topic() const
{
    return topicEdit->text();
}

void UploadPanel::openPanel()
{
    updateSendEnabled(true);
    scoreList->selectAll();
}

bool UploadPanel::waiting() const
{
    return BusyGuard::isBusy(this);
}

// Opening the panel sets the state both ways; typing a password only ever enables.
void UploadPanel::updateSendEnabled(bool mayDisable)
{
    // While a request waits the guard holds the button; it is set again after the wait.
    if (waiting())
        return;
    const bool allowed = m_context.login.isOnline() && !m_context.session.operationPassword().isEmpty();
    if (allowed || mayDisable)
        uploadButton->setEnabled(allowed);
}

QList<int> UploadPanel::selectedRows() const
{
    QList<int> rows;
    for (int row = 0; row < scoreList->count(); ++row) {
        if (scoreList->item(row)->isSelected())
            rows.append(row);
    }
    return rows;
}

QList<ScoreLine> UploadPanel::takeIntoRegister(const QList<int> &rows)
{
    uploadRegister->clear();
    // The list follows the pending scores row for row.
    const QList<ScoreLine> &pending = m_pending.scores();
    QList<ScoreLine> lines;
    for (int row : rows) {
        if (row < pending.size())
            lines.append(pending[row]);
    }
    uploadRegister->addItems(scoreTexts(lines));
    return lines;
}

// Removes the rows taken for an upload or save. Only appends can happen meanwhile, which
// leave earlier rows where they were; a row that no longer holds its line is looked up.
void UploadPanel::removeTakenRows(const QList<int> &rows, const QList<ScoreLine> &lines)
{
    const QList<ScoreLine> &now = m_pending.scores();
    QList<int> gone;
    for (qsizetype i = 0; i < rows.size() && i < lines.size(); ++i) {
        int row = rows[i];
        if (row >= now.size() || now[row] != lines[i]) {
            row = -1;
            for (qsizetype j = 0; j < now.size(); ++j) {
                if (now[j] == lines[i] && !gone.contains(int(j))) {
                    row = int(j);
                    break;
                }
            }
        }
        if (row >= 0 && !gone.contains(row))
            gone.append(row);
    }
    if (const Result kept = m_pending.removeRows(gone); !kept)
        reportStoreError(kept);
}

void UploadPanel::reportStoreError(const Result &failure)
{
    reportPendingWriteFailure(m_context.prompter, this, failure);
}

Result UploadPanel::sendableScores(const QString &topic, const QList<ScoreLine> &lines)
{
    using outgoing::TextKind;
    Result sendable = outgoing::checkFilled(topic, QStringLiteral("课题"));
    if (sendable)
        sendable = outgoing::checkText(topic, TextKind::Name);
    for (qsizetype i = 0; sendable && i < lines.size(); ++i) {
        // Class and student are names; score, time and standard go in the note's limit.
        const ScoreLine &line = lines[i];
        sendable = outgoing::checkTexts({line.className, line.student}, TextKind::Name);
        if (sendable)
            sendable = outgoing::checkTexts({line.score, line.time, line.standard}, TextKind::Note);
    }
    return sendable;
}

void UploadPanel::upload()
{
    if (waiting())
        return;
    const QList<int> rows = selectedRows();
    const QList<ScoreLine> lines = takeIntoRegister(rows);
    if (!m_context.login.isOnline() || m_context.session.operationPassword().isEmpty() || lines.isEmpty())
        return;
    if (const Result sendable = sendableScores(topicEdit->text(), lines); !sendable) {
        m_context.prompter.message(this, QStringLiteral("提示"), sendable.error(), PromptIcon::Warning);
        return;
    }

    BusyGuard busy(this, {scoreList, backButton, uploadButton, exportButton, importButton, groupStatsButton,
                          removeButton});
    const auto sent =
        sendAndWait(busy, m_context.link,
                    score_pages::upload(m_context.login.LoginUser, m_context.session.operationPassword(),
                                        topicEdit->text(), scoreTexts(lines)));
    if (!sent)
        return;
    busy.release();
    const HttpResult &result = *sent;
    updateSendEnabled(false);

    switch (result.outcome()) {
    case ReplyOutcome::Accepted: {
        // The scores are on the server now, whatever the teacher answers next.
        removeTakenRows(rows, lines);
        if (m_context.prompter.question(this, QStringLiteral("成功"),
                                        QStringLiteral("上传成功，是否上网查看上传结果！"), PromptIcon::None))
            m_context.prompter.openUrl(m_context.link.address(score_pages::recentScores(
                m_context.login.LoginUser, int(lines.size()), m_context.login.LoginDigest)));
        break;
    }
    case ReplyOutcome::Rejected:
        if (const auto refused = score_pages::partial_upload::read(result.text, int(lines.size()))) {
            uploadedInPart(rows, lines, *refused);
            break;
        }
        m_context.prompter.message(this, QStringLiteral("错误"),
                                   result.text + kCrLf + QStringLiteral("上传错误！"), PromptIcon::Warning);
        break;
    case ReplyOutcome::Failed:
        m_context.prompter.message(this, QStringLiteral("错误"),
                                   QStringLiteral("网络异常！建议保存数据，然后导入上传！"),
                                   PromptIcon::Warning);
        saveSelected();
        break;
    }
}

// The server stored every line it did not name; the named ones stay, marked and selected,
// so the teacher can correct or remove them.
void UploadPanel::uploadedInPart(const QList<int> &rows, const QList<ScoreLine> &lines,
                                 const QList<score_pages::RefusedLine> &refused)
{
    QList<bool> isRefused(lines.size(), false);
    QStringList named;
    for (const score_pages::RefusedLine &r : refused) {
        const ScoreLine &line = lines[r.line - 1];
        isRefused[r.line - 1] = true;
        m_refusals.insert(line.text(), r.reason);
        named.append(readableScoreLine(line) + QStringLiteral("：") + r.reason);
    }
    QList<int> storedRows;
    QList<ScoreLine> storedLines;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!isRefused[i]) {
            storedRows.append(rows[i]);
            storedLines.append(lines[i]);
        }
    }
    removeTakenRows(storedRows, storedLines);
    scoreList->clearSelection();
    for (int row = 0; row < scoreList->count(); ++row) {
        QListWidgetItem *item = scoreList->item(row);
        showRefusal(item);
        item->setSelected(m_refusals.contains(item->text()));
    }
    m_context.prompter.message(
        this, QStringLiteral("提示"),
        QStringLiteral("已上传 %1 条成绩；以下 %2 条没有上传，仍在待上传列表中（已标出并选中）：")
                .arg(storedLines.size())
                .arg(refused.size()) +
            listedLines(named) + kCrLf +
            QStringLiteral("可在“后台”改正班级或学生后重新上传，不再需要的可按“删除”。"),
        PromptIcon::Warning);
}

void UploadPanel::removeSelected()
{
    if (waiting())
        return;
    const QList<int> rows = selectedRows();
    const QList<ScoreLine> &pending = m_pending.scores();
    if (rows.isEmpty()) {
        m_context.prompter.message(this, QStringLiteral("提示"), QStringLiteral("请先选中要删除的成绩！"),
                                   PromptIcon::Warning);
        return;
    }
    QStringList shown;
    for (int row : rows)
        shown.append(readableScoreLine(pending.value(row)));
    if (!m_context.prompter.question(
            this, QStringLiteral("删除"),
            QStringLiteral("从待上传列表中删除这 %1 条成绩吗？删除后不会上传，当天的成绩日志记下删除。")
                    .arg(rows.size()) +
                listedLines(shown),
            PromptIcon::Question))
        return;
    if (const Result removed = m_recorder->remove(m_context.login.LoginUser, rows); !removed)
        m_context.prompter.message(this, QStringLiteral("错误"),
                                   QStringLiteral("删除时出错：") + removed.error(), PromptIcon::Warning);
}

void UploadPanel::saveSelected()
{
    if (waiting())
        return;
    const QList<int> rows = selectedRows();
    const QList<ScoreLine> lines = takeIntoRegister(rows);
    if (lines.isEmpty())
        return;

    const QString chosen =
        m_context.prompter.saveFileName(this, QStringLiteral("另存数据文件"), kDataFileFilter);
    if (chosen.isEmpty())
        return;
    const QString path = withDataFileSuffix(chosen);
    if (sameFile(path, m_pending.filePath())) {
        m_context.prompter.message(this, QStringLiteral("提示"),
                                   QStringLiteral("这是程序保存待上传成绩的文件，请另选一个文件名。"),
                                   PromptIcon::Warning);
        return;
    }
    if (QFileInfo::exists(path) &&
        !m_context.prompter.question(this, QStringLiteral("另存数据文件"),
                                     shownPath(path) + kCrLf + QStringLiteral("文件已存在，是否替换？"),
                                     PromptIcon::Question))
        return;

    const Result written = writeScoreLines(path, lines);
    if (!written) {
        m_context.prompter.message(this, QStringLiteral("错误"),
                                   QStringLiteral("数据文件保存失败，成绩仍在待上传列表中。") + kCrLf +
                                       written.error(),
                                   PromptIcon::Warning);
        return;
    }
    removeTakenRows(rows, lines);
    m_context.prompter.message(this, QStringLiteral("保存成功"),
                               QStringLiteral("数据已保存，你可以再次导入此数据上传！") + kCrLf +
                                   QStringLiteral("保存位置：") + shownPath(path),
                               PromptIcon::Information);
}

void UploadPanel::importFile()
{
    if (waiting())
        return;
    const QString path =
        m_context.prompter.openFileName(this, QStringLiteral("打开数据文件"), kDataFileFilter);
    if (path.isEmpty())
        return;

    const Expected<ScoreFileContent> content = readScoreLines(path);
    QString problem = content.error();
    if (content && !content->badLines.isEmpty())
        problem = describeBadLines(content->badLines) + QStringLiteral("不是成绩记录：") + shownPath(path);
    if (!problem.isEmpty()) {
        m_context.prompter.message(this, QStringLiteral("错误"),
                                   QStringLiteral("数据文件无法导入，待上传列表没有改变。") + kCrLf + problem,
                                   PromptIcon::Warning);
        return;
    }
    if (const Result kept = m_pending.appendNew(content->lines); !kept)
        reportStoreError(kept);
    scoreList->selectAll();
}

} // namespace corvanta
