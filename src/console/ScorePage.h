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

    QLabel *Label56;
    QComboBox *Combo1;
    QPushButton *Command7;
    QListWidget *List3;
    QPushButton *Command17;
    QPushButton *Command16;
    QPushButton *Command15;
    QLabel *Label16;

    QGroupBox *Frame4;
    QLabel *Label30;
    QLineEdit *Text16;
    QLabel *Label29;
    QLineEdit *Text17;
    QLabel *Label31;
    QLineEdit *Text18;
    QLabel *Label32;
    QLineEdit *Text19;
    QLabel *Label33;
    QLineEdit *Text20;
    QLabel *Label39;
    QLineEdit *Text24;
    QPushButton *Command23;
    QPushButton *Command22;

    // "|" + record number of every score removed here and not yet deleted on the server.
    QString m_pendingDeletions;
    QString m_class; // the class List3 was read for
};

} // namespace corvanta
