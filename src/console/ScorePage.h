#pragma once

#include "console/ConsolePage.h"

namespace corvanta {

// Page 3 "计分管理": the scores recorded on the server for one class; one corrected,
// selected ones deleted.
class ScorePage : public ConsolePage
{
    Q_OBJECT
public:
    ScorePage(ConsoleSession &session, QWidget *parent);
    void fillPage() override;
    // The class whose scores the list shows (empty before one is chosen).
    QString className() const;

private:
    void buildCorrectionFrame();
    // Reads the list from the server; false when no complete reply came (the list is then empty).
    bool chooseClass();
    void openCorrection(QListWidgetItem *item);
    void correct();
    void removeScores();
    ReplyOutcome sendDeletions();

    QLabel *classLabel;
    QComboBox *classBox;
    QPushButton *saveButton;
    QListWidget *scoreList;
    QPushButton *selectAllButton;
    QPushButton *invertSelectionButton;
    QPushButton *deleteButton;
    QLabel *statusLabel;

    QGroupBox *correctionFrame;
    QLabel *idLabel;
    QLineEdit *idEdit;
    QLabel *nameLabel;
    QLineEdit *nameEdit;
    QLabel *scoreLabel;
    QLineEdit *scoreEdit;
    QLabel *timeLabel;
    QLineEdit *timeEdit;
    QLabel *topicLabel;
    QLineEdit *topicEdit;
    QLabel *noteLabel;
    QLineEdit *noteEdit;
    QPushButton *correctButton;
    QPushButton *correctionCancelButton;

    // "|" + record number of every score removed here and not yet deleted on the server.
    QString m_pendingDeletions;
    QString m_class; // the class scoreList was read for
};

} // namespace corvanta
