#pragma once

#include "core/Result.h"
#include "net/ScoreLine.h"
#include "widgets/AppContext.h"

#include <QGroupBox>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QStringList>

#include <memory>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QHBoxLayout;

namespace corvanta {

class CorrectionPanel;
class GroupStatsPanel;
class ScoreRecorder;
namespace score_pages {
struct RefusedLine;
}

// The upload panel of the main window: the pending score list, the topic and operation
// password, and the buttons that send, save and import score lines. The list follows the
// pending scores; whoever adds a score adds it there (ScoreRecorder) and the list shows it.
class UploadPanel : public QGroupBox
{
    Q_OBJECT
public:
    explicit UploadPanel(AppContext &context, QWidget *parent = nullptr);
    ~UploadPanel() override;

    // Adds a score to the pending scores without logging it.
    void addScoreLine(const ScoreLine &line);
    // The topic shown in topicEdit; the main window keeps it equal to its topic combo.
    void setTopic(const QString &text);
    QString topic() const;

    // Prepares the panel to be shown: selects every line and sets the send button's state.
    // Showing and hiding the panels is the main window's.
    void openPanel();

    // Rows of scoreList that are selected, in list order.
    QList<int> selectedRows() const;
    // True while the panel waits for the server; it takes no action meanwhile.
    bool waiting() const;

    // The save action: offers to save the selected lines to a score data file; the saved
    // lines leave the pending list. Also run when the server cannot be reached.
    void saveSelected();
    // Adds the lines of a score data file that are not pending yet.
    void importFile();
    // Sends the selected lines with the operation password and topic. Lines the server
    // refuses one by one stay pending, marked with the reason, and selected.
    void upload();
    // After a confirmation, takes the selected lines out of the pending list; today's log
    // of each line's class keeps it, marked as removed.
    void removeSelected();
    // Why the server refused the pending line at this row in the last upload; empty when it did not.
    QString refusal(int row) const;

    // Ranks the groups of the class by the pending scores and shows the ranking in this
    // panel's place; its "返回" brings this panel back.
    void showGroupStatistics(const QString &className, const QList<QStringList> &groups);

signals:
    void closeRequested();
    // "小组统计": whoever holds the group lists answers with showGroupStatistics().
    void groupStatisticsRequested();

private:
    // Nothing leaves that the server could not keep as typed; the failure names it.
    static Result sendableScores(const QString &topic, const QList<ScoreLine> &lines);
    // Controls by role; each keeps its name on the form as its objectName.
    QListWidget *scoreList;
    QListWidget *uploadRegister; // upload register: the lines taken for this upload or save; never shown
    QLineEdit *topicEdit;
    QLineEdit *passwordEdit;
    QPushButton *uploadButton;
    QPushButton *backButton;
    QPushButton *exportButton;
    QPushButton *importButton;
    QPushButton *groupStatsButton;
    QPushButton *removeButton;

    void updateSendEnabled(bool mayDisable);
    QList<ScoreLine> takeIntoRegister(const QList<int> &rows);
    void removeTakenRows(const QList<int> &rows, const QList<ScoreLine> &lines);
    void reportStoreError(const Result &failure);
    void uploadedInPart(const QList<int> &rows, const QList<ScoreLine> &lines,
                        const QList<score_pages::RefusedLine> &refused);
    // Shows the item as refused when its line was, as it is otherwise.
    void showRefusal(QListWidgetItem *item) const;
    void rebuildList();
    void openCorrection(int row);
    void correctionClosed(int row, bool corrected);
    void showInMyPlace(QWidget *panel);

    AppContext &m_context;
    PendingScores &m_pending;
    QHBoxLayout *m_buttonRow;
    std::unique_ptr<ScoreRecorder> m_recorder; // the log of removed lines
    QHash<QString, QString> m_refusals;        // line text -> why the server refused it
    // Shown in this panel's place, so they stand beside it in its parent.
    QPointer<CorrectionPanel> m_correction;
    QPointer<GroupStatsPanel> m_groupStats;
};

} // namespace corvanta
