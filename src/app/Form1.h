#pragma once

#include "app/Draw.h"
#include "net/RecordFile.h"
#include "widgets/AppContext.h"
#include "widgets/Twips.h"

#include <QWidget>

#include <memory>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTimer;

namespace corvanta {

class AbsentMenu;
class AbsentStore;
class ElidedLabel;
class WhyCaption;
class ManualSearchBox;
class NameDisplay;
class ScoreRecorder;
class ScoreUndo;
class ServerChecks;
class Splitter;
class StatisticsPanel;
class UploadPanel;
struct SplitRequest;
struct RecordResult;
struct ScoreLine;

// The main window: name display, class and topic selectors, the draw buttons, the score
// combo and a status bar with a stopwatch. Always on top; closing it ends the program.
// It arranges its panels; what other windows need it publishes as signals.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(AppContext &context, QWidget *parent = nullptr);
    ~Form1() override;

    // Twips (1/1440 inch) to logical pixels: 15 twips a pixel at 96 dpi; Qt applies the
    // screen's device pixel ratio on top.
    static int tw(int twips) { return twipsToPixels(twips); }

    // Fills the class and topic combos from the class record file as it is on disk
    // ("online" after the application refreshed it, "offline" on the cached copy).
    void LoadClassLists(const QString &mode);
    // The same after a change on the server (the console's, a group upload), keeping the
    // lesson: the class and topic chosen, the pools and who has been called. When the
    // class's records changed, its pools are sorted again, each student keeping what the
    // lesson did with them.
    void reloadKeepingLesson();
    void RefreshStandardList();
    void UpdateDrawButtons();
    // Width in pixels of the widest item + 8; 0 for an empty list.
    static int MeasureListWidth(const QListWidget *list);

    void collapse();
    void expand();

    // What other programs ask (a whiteboard's button, a corvanta: link), once the window
    // stands in front of the class. A draw on the pool with that caption, or with none the
    // draw the keys start (or stop); refused, with the reason, while the draw buttons are not
    // in view or the pool is unknown, empty or another draw runs. Nothing changes then.
    Result drawFromOutside(const QString &pool);
    // Shows the window opened out and in front.
    void showFromOutside();
    bool isCollapsed() const { return m_collapsed; }
    QSize expandedSize() const;

    // Status bar panels 1..5.
    void setPanelText(int panel, const QString &text);
    QString panelText(int panel) const;
    void panelDoubleClicked(int panel);

    // What Space and the clicker's keys do, and a draw asked for without a pool: stops the
    // running draw, or starts the one the teacher chose for the keys (the fair draw, or the
    // pool of the last draw button). Nothing without a class or while a panel covers the
    // draw buttons. Says whether a draw started or stopped.
    bool drawByKey();

signals:
    void loginRequested();   // "用户"
    void consoleRequested(); // "后台"
    void closing();
    // A student was drawn and now stands in the name display, ready to be scored.
    void studentChosen(const QString &className, const QString &name);
    // The class and topic lists were filled again from the class record file.
    void classListsLoaded();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void Form_Load();
    void classChosen();
    // What a reload keeps of the lesson in the class chosen.
    struct KeptLesson
    {
        Roster started;                             // as the class choice filled it
        Pools pools;                                // as the lesson left them
        std::array<QStringList, GroupCount> groups; // as the lists hold them, dragged or not
    };
    void chooseClass(const KeptLesson *kept);
    void topicTyped(const QString &text);
    void topicChosen();
    void nameDisplayChanged(const QString &text);
    void drawButtonClicked(int index);
    void startDraw(int index);
    bool startFairDraw();
    void showDrawStarted(int index);
    void stopDraw(int index);
    void drawTick();
    void secondTick();
    void toggleStopwatch();
    void scoreByCombo();
    void scoreByStandard();
    void reportRecordProblems(const RecordResult &result);
    void openUploadPanel();
    void closeUploadPanel();
    void openStatisticsPanel();
    void closeStatisticsPanel();
    void buildSearchAndPanels();
    void syncPoolLists();
    void layoutNameArea();
    void placeStopwatch();
    void beforeNameSplit(SplitRequest *request);
    int innerWidthTwips() const;
    // A student chosen by hand (search result, view or group list) goes to scoring as a
    // drawn one does; a draw still running is abandoned first, so the name on screen is
    // the one scored.
    void handPickToScoring(const QString &name);
    void abandonRunningDraw();
    void searchPicked(const QString &name);
    void panelPicked(const QString &name);
    // The upload panel's group statistics.
    void wireGroupPanels();
    // The session's record file, which the console reads too.
    RecordFile &records() const;

    // In front of the class (Form1Classroom.cpp): absent students, taking back a score,
    // keys and clicker, names read aloud, why a drawn student stood in the pool.
    void buildClassroom();
    void classroomClassChosen(const Roster &roster, const QList<StudentRecord> &students);
    void absenceChanged();
    void toggleAbsentShown();
    void undoLastScore();
    void releaseUndoneScore(const ScoreLine &score);
    bool classroomKeyPressed(int key, Qt::KeyboardModifiers modifiers);
    // The draw that Space and the clicker's keys start or stop (and --draw without a pool);
    // false when there was nothing to start.
    // A teacher without classes is told where to add them.
    void showFirstSteps(bool noClasses);
    bool typingHasFocus() const;
    void showNameMenu(const QPoint &at);
    void addKeyDrawChoice(QMenu *menu);
    void showWhyChosen(int pool, bool fair, const QString &name);
    void clearWhyChosen();
    // The reason under the name for a few seconds, unless the teacher switched it off.
    void captionWhyChosen(const QString &why);
    void addWhyCaptionSwitch(QMenu *menu);
    // Fits the name to the box, above the reason while it shows.
    void placeNameInBox(const QString &text);
    void readAloud(const QString &name);

    // Controls by role; each keeps its name on the form as its objectName.
    QFrame *mainFrame = nullptr;
    QFrame *nameBox = nullptr;
    NameDisplay *nameDisplay = nullptr;
    QLabel *expandIcon = nullptr;
    QLabel *collapseIcon = nullptr;
    QLabel *stopwatchLabel = nullptr;
    QLabel *countLabel = nullptr;
    QLabel *scoreLabel = nullptr;
    QListWidget *standardList = nullptr;
    Splitter *nameSplitter = nullptr;
    QComboBox *classBox = nullptr;
    QComboBox *topicBox = nullptr;
    QComboBox *scoreBox = nullptr;
    QPushButton *drawButtons[ManualButton + 1] = {};
    ManualSearchBox *searchBox = nullptr;
    QPushButton *userButton = nullptr;
    QPushButton *uploadButton = nullptr;
    QPushButton *consoleButton = nullptr;
    QListWidget *poolLists[PoolCount] = {};
    QListWidget *drawingList = nullptr;
    QPlainTextEdit *classRecordText = nullptr;
    QTimer *drawTimer = nullptr;
    QTimer *secondTimer = nullptr;
    QStatusBar *statusBar = nullptr;
    UploadPanel *uploadPanel = nullptr;
    StatisticsPanel *statisticsPanel = nullptr;
    QLabel *m_firstSteps = nullptr; // in the name display while there is no class

    // Window-level variables.
    int m_extraWidth = 0;
    qint64 m_secondsRunning = 0;
    qint16 m_stopwatchSeconds = 0;
    QString m_className;
    QString m_drawButtonCaption;
    QString m_lastChosen;
    bool m_stopwatchRunning = false;

    AppContext &m_context;
    std::unique_ptr<ScoreRecorder> m_recorder;
    std::unique_ptr<ServerChecks> m_checks;
    Draw m_draw;
    bool m_collapsed = false;
    // Set while the window changes size: the icons' enter events that the change itself
    // causes must not start the opposite change.
    bool m_resizing = false;
    ElidedLabel *m_panels[5] = {};

    std::unique_ptr<AbsentStore> m_absent;
    AbsentMenu *m_absentMenu = nullptr;
    std::unique_ptr<ScoreUndo> m_undo;
    QList<StudentRecord> m_classStudents; // of the class chosen, for the search without the absent
    PoolThresholds m_thresholds;
    WhyCaption *m_whyCaption = nullptr;
};

} // namespace corvanta
