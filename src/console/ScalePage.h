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

    QLabel *Label37;
    QComboBox *Combo3;
    QListWidget *List5;
    QPushButton *Command37;
    QPushButton *Command34;
    QPushButton *Command33;
    QPushButton *Command32;
    QLabel *Label38;
    QPushButton *Command31;

    QGroupBox *Frame6;
    QLabel *Label35;
    QLineEdit *Text21;
    QLabel *Label42;
    QLineEdit *Text25;
    QLabel *Label43;
    QLineEdit *Text26;
    QLabel *Label41;
    QLineEdit *Text27;
    QPushButton *Command29;
    QPushButton *Command30;

    QGroupBox *Frame7;
    QLabel *Label36;
    QLineEdit *Text28;
    QLabel *Label40;
    QListWidget *List6;
    QLineEdit *txtNewScale[5] = {};
    QLineEdit *txtNewScore[5] = {};
    QPushButton *Command35;
    QPushButton *Command36;

    // "|" + record number of every scale removed here and not yet deleted on the server.
    QString m_pendingDeletions;
    QString m_topic; // the topic List5 was read for
};

} // namespace corvanta
