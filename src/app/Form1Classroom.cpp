#include "Form1.h"

#include "app/AbsentMenu.h"
#include "app/AbsentStore.h"
#include "app/ClassroomKeys.h"
#include "app/DisplayText.h"
#include "app/ManualSearchBox.h"
#include "app/NameDisplay.h"
#include "app/StatisticsPanel.h"
#include "app/WhyCaption.h"
#include "app/WhyChosen.h"
#include "core/AppConfig.h"
#include "core/Settings.h"
#include "net/LoginState.h"
#include "net/ScoreLine.h"
#include "scoring/LogHistory.h"
#include "scoring/ScoreUndo.h"
#include "widgets/ElidedLabel.h"
#include "widgets/Prompter.h"
#include "widgets/Speaker.h"
#include "widgets/Splitter.h"

#include <QAbstractSpinBox>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>

// The main window in front of the class: absent students, taking back a score, keys and the
// presenter clicker, names read aloud and why a drawn student stood in the pool. Building
// and window states are in Form1.cpp, lists, draw and scoring in Form1Draw.cpp.
namespace corvanta {

namespace {

const QString VendorTip = QStringLiteral("双击访问官网");

// A switch of the name display's menu, kept in the settings as soon as it is flipped.
QAction *addSettingSwitch(QMenu *menu, Settings &settings, const Setting<bool> &setting,
                          const QString &caption, const QString &name, const QString &tip)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    action->setCheckable(true);
    action->setChecked(settings.value(setting));
    action->setToolTip(tip);
    QObject::connect(action, &QAction::toggled, menu, [&settings, setting](bool on) {
        settings.setValue(setting, on);
        settings.sync();
    });
    return action;
}

// Sees the keys meant for one window before its controls do. Keys are pressed on whatever
// has the focus (a draw button, a list), so the window itself would never see them.
class ClassroomKeyWatcher final : public QObject
{
public:
    using Handler = std::function<bool(int, Qt::KeyboardModifiers)>;
    ClassroomKeyWatcher(QWidget *window, Handler handler)
        : QObject(window), m_window(window), m_handler(std::move(handler))
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
            return false;
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget || widget->window() != m_window)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (type == QEvent::KeyRelease) {
            // The release of a key acted on is not a second press (a focused button would
            // click on it).
            if (!m_taken.contains(key->key()))
                return false;
            if (!key->isAutoRepeat())
                m_taken.removeAll(key->key());
            return true;
        }
        if (key->isAutoRepeat())
            return m_taken.contains(key->key()); // held down: once is enough
        if (!m_handler(key->key(), key->modifiers()))
            return false;
        m_taken.append(key->key());
        return true;
    }

private:
    QWidget *m_window;
    Handler m_handler;
    QList<int> m_taken;
};

} // namespace

void Form1::buildClassroom()
{
    m_absent = std::make_unique<AbsentStore>(m_context.config.dataDir, m_context.clock);
    m_absentMenu = new AbsentMenu(*m_absent, this);
    m_absentMenu->setObjectName(QStringLiteral("AbsentMenu"));
    statisticsPanel->attachAbsentMenu(*m_absentMenu);
    connect(m_absentMenu, &AbsentMenu::changed, this, [this] { absenceChanged(); });
    connect(m_absentMenu, &AbsentMenu::saveFailed, this, [this](const QString &why) {
        m_context.prompter.message(this, QStringLiteral("提示"),
                                   why + QStringLiteral("\r\n本次运行中缺席标记仍然有效。"),
                                   PromptIcon::Warning);
    });
    m_undo = std::make_unique<ScoreUndo>(m_context.pending);
    m_whyCaption = new WhyCaption(nameBox); // hidden with the box when the window collapses
    connect(m_whyCaption, &WhyCaption::roomChanged, this, [this] { placeNameInBox(nameDisplay->text()); });

    nameDisplay->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(nameDisplay, &QWidget::customContextMenuRequested, this, &Form1::showNameMenu);
    new ClassroomKeyWatcher(this, [this](int key, Qt::KeyboardModifiers modifiers) {
        return classroomKeyPressed(key, modifiers);
    });
    connect(this, &Form1::studentChosen, this,
            [this](const QString &, const QString &name) { readAloud(name); });
}

// ---- Absent students ----

void Form1::classroomClassChosen(const Roster &roster, const QList<StudentRecord> &students)
{
    m_classStudents = students;
    m_thresholds = roster.thresholds;
    m_absentMenu->setClass(m_className);
    clearWhyChosen();
    absenceChanged();
}

void Form1::absenceChanged()
{
    const QSet<QString> absent = m_absent->absentSet(m_className);
    m_draw.setAbsent(absent);
    searchBox->setClass(presentNames(m_draw.pool(0), absent), m_classStudents);
    // Buttons follow only when a class is chosen and no draw runs (a running draw keeps its
    // names until it stops).
    if (drawButtons[ManualButton]->isEnabled() && !m_draw.running()) {
        for (int i = 0; i < PoolCount; ++i)
            drawButtons[i]->setEnabled(m_draw.buttonEnabled(i));
    }
    m_absentMenu->refreshLists();
    // The tip of the bar where no panel has one of its own (the author's panel, the version).
    const QString tip = absent.isEmpty() ? QString() : QStringLiteral("缺席 %1 人").arg(absent.size());
    statusBar->setToolTip(tip);
    m_panels[2]->setToolTipLead(tip);
}

void Form1::toggleAbsentShown()
{
    m_absentMenu->toggle(nameDisplay->text());
}

// ---- Taking back a score ----

void Form1::undoLastScore()
{
    if (m_undo->isEmpty()) {
        m_context.prompter.message(this, QStringLiteral("提示"), QStringLiteral("本次还没有可以撤销的计分。"),
                                   PromptIcon::Information);
        return;
    }
    const QString shown = readableScoreLine(*m_undo->last());
    if (!m_undo->lastStillPending()) {
        m_undo->undoLast();
        m_context.prompter.message(this, QStringLiteral("提示"),
                                   QStringLiteral("这条成绩已经上传、保存或修改，不能撤销：\r\n") + shown,
                                   PromptIcon::Warning);
        return;
    }
    if (!m_context.prompter.question(this, QStringLiteral("撤销"),
                                     QStringLiteral("撤销这条计分吗？\r\n") + shown +
                                         QStringLiteral("\r\n（当天的成绩日志仍保留这条记录）"),
                                     PromptIcon::Question))
        return;
    const ScoreUndo::Undo undo = m_undo->undoLast();
    releaseUndoneScore(undo.line);
    if (!undo.kept) {
        m_context.prompter.message(this, QStringLiteral("提示"),
                                   QStringLiteral("已从待上传列表中撤销，但无法保存到文件：") +
                                       undo.kept.error(),
                                   PromptIcon::Warning);
    }
}

void Form1::releaseUndoneScore(const ScoreLine &score)
{
    // Only the student now shown gets the score combo or the standard back.
    if (score.className != m_className || score.student != nameDisplay->text() || m_draw.running())
        return;
    if (score.standard.isEmpty()) {
        m_lastChosen = score.student;
        scoreBox->setEditText(QString());
        scoreBox->setEnabled(true);
        standardList->setEnabled(true);
        return;
    }
    bool anyGiven = false;
    for (int row = 0; row < standardList->count(); ++row) {
        QListWidgetItem *item = standardList->item(row);
        const QString text = item->text();
        const qsizetype tab = text.indexOf(u'\t');
        if (tab > 0 && text.mid(tab + 1) == score.standard && text.left(tab).contains(QStringLiteral("]√")))
            item->setText(text.left(tab).replace(QStringLiteral("]√"), QStringLiteral("]")) + text.mid(tab));
        else if (text.contains(QStringLiteral("]√\t")))
            anyGiven = true;
    }
    if (!anyGiven && m_lastChosen == score.student) {
        scoreBox->setEditText(QString());
        scoreBox->setEnabled(true);
    }
}

// ---- Keys and the presenter clicker ----

bool Form1::typingHasFocus() const
{
    // The search's open result list belongs to the typing (Esc closes it, Enter picks).
    if (searchBox->resultCount() > 0)
        return true;
    QWidget *focus = QApplication::focusWidget();
    if (!focus)
        return false;
    if (qobject_cast<QTextEdit *>(focus) || qobject_cast<QPlainTextEdit *>(focus) ||
        qobject_cast<QAbstractSpinBox *>(focus))
        return true;
    auto *edit = qobject_cast<QLineEdit *>(focus);
    if (auto *combo = qobject_cast<QComboBox *>(focus); combo && combo->isEditable())
        edit = combo->lineEdit();
    if (!edit || edit->isReadOnly())
        return false;
    // The window itself puts the focus into the search box and the score combo after every
    // draw and score: while they are empty nobody is typing there.
    const bool ownEmptyBox = (edit == searchBox || edit == scoreBox->lineEdit()) && edit->text().isEmpty();
    return !ownEmptyBox;
}

bool Form1::classroomKeyPressed(int key, Qt::KeyboardModifiers modifiers)
{
    const ClassroomKey what = classroomKey(key, modifiers, m_context.settings.value(Settings::ClassroomKeys));
    if (what.action == ClassroomAction::None || !mainFrame->isVisible() || typingHasFocus() ||
        QApplication::activePopupWidget())
        return false;
    switch (what.action) {
    case ClassroomAction::ToggleDraw:
        drawByKey();
        return true;
    case ClassroomAction::Score:
        if (!m_draw.running() && scoreBox->isEnabled()) {
            scoreBox->setCurrentIndex(scoreBox->findText(QStringLiteral("%1分").arg(what.points)));
            scoreByCombo();
        }
        return true;
    case ClassroomAction::Collapse:
        collapse();
        return true;
    case ClassroomAction::Undo:
        undoLastScore();
        return true;
    case ClassroomAction::ToggleAbsent:
        toggleAbsentShown();
        return true;
    case ClassroomAction::None:
        break;
    }
    return false;
}

bool Form1::drawByKey()
{
    if (!mainFrame->isVisible() || !drawButtons[ManualButton]->isEnabled())
        return false;
    if (m_draw.running()) {
        if (!drawButtons[m_draw.runningPool()]->isEnabled())
            return false;
        drawButtonClicked(m_draw.runningPool());
        return true;
    }
    // A last pool drawn empty meanwhile leaves the keys to the fair draw rather than to nothing.
    const int last = m_draw.lastPool();
    if (last >= 0 && m_context.settings.value(Settings::KeyDraw) != QLatin1String("fair") &&
        drawButtons[last]->isEnabled()) {
        drawButtonClicked(last);
        return true;
    }
    return startFairDraw();
}

// ---- Requests from other programs ----

Result Form1::drawFromOutside(const QString &pool)
{
    if (!isVisible() || !mainFrame->isVisible())
        return Result::failure(QStringLiteral("the draw buttons are not in view"));
    if (pool.isEmpty()) {
        if (!drawByKey())
            return Result::failure(QStringLiteral("no class chosen, or its pool is empty"));
    } else {
        const int index = poolIndex(pool);
        if (index < 0)
            return Result::failure(QStringLiteral("there is no pool '%1'").arg(pool));
        if (m_draw.running() && m_draw.runningPool() != index)
            return Result::failure(QStringLiteral("a draw runs on the pool '%1'").arg(poolCaption(m_draw.runningPool())));
        if (!drawButtons[index]->isEnabled())
            return Result::failure(QStringLiteral("the pool '%1' is empty or no class is chosen").arg(pool));
        drawButtonClicked(index);
    }
    // The class sees the names flash.
    showFromOutside();
    return Result::success();
}

void Form1::showFromOutside()
{
    expand();
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

// ---- The first day ----

void Form1::showFirstSteps(bool noClasses)
{
    if (!m_firstSteps) {
        if (!noClasses)
            return;
        // In the name box, over the (empty) name display.
        m_firstSteps = new QLabel(nameBox);
        m_firstSteps->setObjectName(QStringLiteral("lblFirstSteps"));
        m_firstSteps->setWordWrap(true);
        m_firstSteps->setAlignment(Qt::AlignCenter);
        m_firstSteps->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_firstSteps->setStyleSheet(QStringLiteral("color: #333; background: transparent;"));
        m_firstSteps->setText(QStringLiteral("还没有班级。请点“后台”，在“班级管理”和“学生管理”中添加班级和学生。"
                                             "后台的修改和成绩上传要输入操作密码：注册时设的第二个密码，"
                                             "与登录密码分开，保护成绩和名单。"));
        // The window's font, not the name display's, which is sized for one name.
        m_firstSteps->setFont(font());
    }
    m_firstSteps->setGeometry(nameBox->rect().adjusted(6, 2, -6, -2));
    m_firstSteps->setVisible(noClasses);
    // The box's inside shows over the name display only meanwhile; the labels above stay so.
    if (noClasses)
        nameDisplay->stackUnder(nameBox);
    else
        nameBox->stackUnder(nameDisplay);
}

// ---- The name display's menu ----

void Form1::showNameMenu(const QPoint &at)
{
    auto *menu = new QMenu(nameDisplay);
    menu->setObjectName(QStringLiteral("NameMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setToolTipsVisible(true);
    m_absentMenu->addActionTo(menu, nameDisplay->text());
    menu->actions().constLast()->setShortcut(QKeySequence(QStringLiteral("Ctrl+D")));

    QAction *undo = menu->addAction(QStringLiteral("撤销上一次计分"), this, &Form1::undoLastScore);
    undo->setObjectName(QStringLiteral("actUndo"));
    undo->setShortcut(QKeySequence(QStringLiteral("Ctrl+Z")));
    undo->setEnabled(!m_undo->isEmpty());
    menu->addSeparator();

    QAction *read = menu->addAction(QStringLiteral("朗读姓名"));
    read->setObjectName(QStringLiteral("actReadNames"));
    read->setCheckable(true);
    const Result speaking = m_context.speaker.available();
    read->setChecked(speaking.ok() && m_context.settings.value(Settings::ReadNames));
    read->setEnabled(speaking.ok());
    read->setToolTip(speaking ? QStringLiteral("抽中或选中学生时朗读其姓名") : speaking.error());
    connect(read, &QAction::toggled, this, [this](bool on) {
        m_context.settings.setValue(Settings::ReadNames, on);
        m_context.settings.sync();
    });

    addSettingSwitch(menu, m_context.settings, Settings::ClassroomKeys, QStringLiteral("键盘和翻页笔"),
                     QStringLiteral("actKeys"),
                     QStringLiteral("空格或翻页键：开始/停止抽取；0~5：计分；Esc：收起窗口"));
    addKeyDrawChoice(menu);
    addWhyCaptionSwitch(menu);
    menu->popup(nameDisplay->mapToGlobal(at));
}

// What the keys draw from: the fair draw, or the pool of the last draw button.
void Form1::addKeyDrawChoice(QMenu *menu)
{
    auto *group = new QActionGroup(menu);
    const bool fair = m_context.settings.value(Settings::KeyDraw) == QLatin1String("fair");
    const auto add = [&](const char *name, const QString &caption, const QString &tip, const char *value,
                         bool on) {
        QAction *choice = menu->addAction(caption);
        choice->setObjectName(QLatin1String(name));
        choice->setCheckable(true);
        choice->setChecked(on);
        choice->setToolTip(tip);
        group->addAction(choice);
        connect(choice, &QAction::triggered, this, [this, value] {
            m_context.settings.setValue(Settings::KeyDraw, QLatin1String(value));
            m_context.settings.sync();
        });
    };
    add("actKeyDrawFair", QStringLiteral("按键公平抽取"),
        QStringLiteral(
            "先抽从未被点的学生，再抽被点最少的：从未、很少、较少、较多、很多依次取本节课还没点到的"),
        "fair", fair);
    add("actKeyDrawLast", QStringLiteral("按键用上次的抽取池"),
        QStringLiteral("用上次按过的抽取按钮的抽取池；还没按过时公平抽取"), "last", !fair);
}

// ---- Why this student; names read aloud ----

void Form1::showWhyChosen(int pool, bool fair, const QString &name)
{
    WhyFacts facts;
    facts.pool = pool;
    facts.fair = fair;
    facts.record = records().findStudent(m_className, name);
    facts.thresholds = m_thresholds;
    facts.classSize = int(m_draw.pool(0).size());
    facts.lastScored = lastScoredDate(m_context.config.dataDir, m_context.login.LoginUser, m_className, name);
    const QString why = whyChosenText(facts);
    nameDisplay->setToolTip(why);
    m_panels[4]->setToolTipLead(why + u'\n' + VendorTip);
    captionWhyChosen(why);
}

void Form1::clearWhyChosen()
{
    nameDisplay->setToolTip(QString());
    m_panels[4]->setToolTipLead(VendorTip);
    if (m_whyCaption)
        m_whyCaption->hideNow();
}

void Form1::captionWhyChosen(const QString &why)
{
    if (!m_context.settings.value(Settings::ShowWhyChosen) || m_collapsed)
        return;
    // Inside the box's border, below the name, left of the bar that lies over the box's edge.
    const int border = nameBox->frameWidth();
    QRect inside = nameBox->rect().adjusted(border, border, -border, -border);
    if (nameSplitter->isVisible())
        inside.setRight(std::min(inside.right(), nameSplitter->x() - nameBox->x() - 1));
    m_whyCaption->showFor(why, inside);
}

void Form1::addWhyCaptionSwitch(QMenu *menu)
{
    QAction *why = addSettingSwitch(menu, m_context.settings, Settings::ShowWhyChosen,
                                    QStringLiteral("显示抽取依据"), QStringLiteral("actShowWhy"),
                                    QStringLiteral("抽取停止后在姓名下方显示几秒钟抽取依据"));
    m_context.settings.watch(Settings::ShowWhyChosen, why, [this](bool on) {
        if (!on)
            m_whyCaption->hideNow();
    });
}

void Form1::placeNameInBox(const QString &text)
{
    // The box's inside, less its border and the reason showing at its foot.
    const int taken = m_whyCaption ? m_whyCaption->takenHeight() : 0;
    const int room = nameBox->height() - 2 * nameBox->frameWidth() - taken;
    if (!text.isEmpty())
        nameDisplay->fitFont(nameFontSize(nameDisplay->width() * 15, int(text.size())), room);
    // The name's lines, as far as the box allows, centred on what the box leaves.
    nameDisplay->resize(nameDisplay->width(), std::min(nameDisplay->linesHeight(), room));
    nameDisplay->move(nameDisplay->x(),
                      nameBox->y() + (nameBox->height() - taken - nameDisplay->height()) / 2);
}

void Form1::readAloud(const QString &name)
{
    if (m_context.settings.value(Settings::ReadNames) && m_context.speaker.available())
        m_context.speaker.say(wordsForStudent(name));
}

} // namespace corvanta
