#pragma once

#include "console/ConsolePage.h"

namespace corvanta {

// Page 6 "评分标准": the scales of one topic, read from the server; new ones five at a
// time, one edited, selected ones deleted by record number.
class ScalePage : public ConsolePage
{
    Q_OBJECT
public:
    ScalePage(ConsoleSession &session, QWidget *parent);
    void fillPage() override;

private:
    void buildEditFrame();
    void buildNewFrame();
    // Reads the list from the server; false when no complete reply came (the list is then empty).
    bool chooseTopic();
    void openEdit(QListWidgetItem *item);
    void editScale();
    void openNew();
    void createScales();
    // Each text says something; else the teacher is told and false comes back.
    bool filledScaleTexts(const QStringList &texts);
    void removeScales();
    ReplyOutcome sendDeletions();

    QLabel *topicLabel;
    QComboBox *topicBox;
    QListWidget *scaleList;
    QPushButton *newScaleButton;
    QPushButton *selectAllButton;
    QPushButton *invertSelectionButton;
    QPushButton *deleteButton;
    QLabel *statusLabel;
    QPushButton *saveButton;

    QGroupBox *editFrame;
    QLabel *editTopicLabel;
    QLineEdit *editTopicEdit;
    QLabel *editIdLabel;
    QLineEdit *editIdEdit;
    QLabel *editTextLabel;
    QLineEdit *editTextEdit;
    QLabel *editScoreLabel;
    QLineEdit *editScoreEdit;
    QPushButton *editButton;
    QPushButton *editCancelButton;

    QGroupBox *newFrame;
    QLabel *newTopicLabel;
    QLineEdit *newTopicEdit;
    QLabel *existingLabel;
    QListWidget *existingList;
    QLineEdit *newScaleEdits[5] = {};
    QLineEdit *newScoreEdits[5] = {};
    QPushButton *createButton;
    QPushButton *newCancelButton;

    // "|" + record number of every scale removed here and not yet deleted on the server.
    QString m_pendingDeletions;
    QString m_topic; // the topic scaleList was read for
};

} // namespace corvanta
