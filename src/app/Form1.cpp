#include "Form1.h"

#include "app/AbsentStore.h"
#include "app/Form1Layout.h"
#include "app/ManualSearchBox.h"
#include "app/NameDisplay.h"
#include "app/ServerChecks.h"
#include "app/StatisticsPanel.h"
#include "core/AppConfig.h"
#include "net/LoginState.h"
#include "net/Session.h"
#include "scoring/ScoreRecorder.h"
#include "scoring/ScoreUndo.h"
#include "scoring/StandardLine.h"
#include "scoring/UploadPanel.h"
#include "widgets/ClassroomLook.h"
#include "widgets/ElidedLabel.h"
#include "widgets/Prompter.h"
#include "widgets/Splitter.h"
#include "widgets/TabColumns.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QTimer>

namespace corvanta {

using namespace form1_layout;

namespace {

// The 收 and 点 icons, drawn at the screen's resolution each time: sharp at any scale.
class GlyphIcon : public QLabel
{
public:
    GlyphIcon(const QColor &color, const QString &glyph, QWidget *parent)
        : QLabel(parent), m_color(color), m_glyph(glyph)
    {
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF area = QRectF(rect()).adjusted(2, 2, -2, -2);
        p.setBrush(m_color);
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(area, 8, 8);
        QFont f = font();
        f.setPixelSize(int(area.height() / 2));
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(area, Qt::AlignCenter, m_glyph);
    }

private:
    QColor m_color;
    QString m_glyph;
};

void place(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(Form1::tw(left), Form1::tw(top), Form1::tw(width), Form1::tw(height));
}

QString twoDigits(int v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

} // namespace

Form1::Form1(AppContext &context, QWidget *parent)
    : QWidget(parent), m_context(context),
      m_recorder(std::make_unique<ScoreRecorder>(context.config.dataDir, context.pending, context.clock)),
      m_checks(std::make_unique<ServerChecks>(context))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Corvanta"));
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setAttribute(Qt::WA_QuitOnClose, true);
    // Simplified Chinese faces; Comic Sans, Arial Narrow and Arial Black mapped to faces Linux has.
    useClassroomFonts();
    uploadPanel = new UploadPanel(m_context, this);
    uploadPanel->hide();
    connect(uploadPanel, &UploadPanel::closeRequested, this, &Form1::closeUploadPanel);
    buildControls();
    buildSearchAndPanels();
    Form_Load();
    buildClassroom();
}

Form1::~Form1()
{
    // Children outlive this object's members; a focus change while they are torn down
    // must not reach the handlers.
    for (QObject *child : findChildren<QObject *>())
        child->blockSignals(true);
}

void Form1::buildControls()
{
    mainFrame = new QFrame(this);
    mainFrame->setObjectName(QStringLiteral("Frame5"));
    mainFrame->setFrameShape(QFrame::StyledPanel);
    place(mainFrame, FrameLeft, FrameTop, FrameWidth, FrameHeight);

    // The icon under the name box shows only while the window is collapsed.
    expandIcon = new GlyphIcon(QColor(0x2e, 0x7d, 0x32), QStringLiteral("点"), mainFrame);
    expandIcon->setObjectName(QStringLiteral("Image1"));
    expandIcon->setMouseTracking(true);
    expandIcon->installEventFilter(this);
    place(expandIcon, 120, 120, 600, 600);

    nameBox = new QFrame(mainFrame);
    nameBox->setObjectName(QStringLiteral("Text13"));
    nameBox->setFrameShape(QFrame::Box);
    nameBox->setAutoFillBackground(true);
    nameBox->setStyleSheet(QStringLiteral("#Text13 { background: white; border: 1px solid #8a8a8a; }"));
    place(nameBox, 120, 120, 4215, 1515);

    nameDisplay = new NameDisplay(mainFrame);
    nameDisplay->setObjectName(QStringLiteral("Text2"));
    place(nameDisplay, 150, 150, 4125, 1395);
    connect(nameDisplay, &QLineEdit::textChanged, this, &Form1::nameDisplayChanged);

    stopwatchLabel = new QLabel(QStringLiteral("00:00"), mainFrame);
    stopwatchLabel->setObjectName(QStringLiteral("Label30"));
    QFont stopwatchFont(QStringLiteral("Arial Narrow"), 12, QFont::Bold);
    stopwatchLabel->setFont(stopwatchFont);
    stopwatchLabel->setStyleSheet(QStringLiteral("color: #555; background: transparent;"));
    stopwatchLabel->setAlignment(Qt::AlignCenter);
    stopwatchLabel->installEventFilter(this);
    placeStopwatch();

    const QFont numberFont(QStringLiteral("Arial Black"), 11, QFont::Black);
    countLabel = new QLabel(mainFrame);
    countLabel->setObjectName(QStringLiteral("Label28"));
    countLabel->setFont(numberFont);
    countLabel->setToolTip(QStringLiteral("次数"));
    countLabel->setAlignment(Qt::AlignCenter);
    place(countLabel, 120, RowA, 780, RowHeight);
    scoreLabel = new QLabel(mainFrame);
    scoreLabel->setObjectName(QStringLiteral("Label4"));
    scoreLabel->setFont(numberFont);
    scoreLabel->setToolTip(QStringLiteral("成绩"));
    scoreLabel->setAlignment(Qt::AlignCenter);
    place(scoreLabel, 930, RowA, 860, RowHeight);

    // The bar lies over the right edge of the name box: it takes the box's white, so the
    // box shows whole and only the cursor tells where the bar is.
    nameSplitter = new Splitter(mainFrame);
    nameSplitter->setObjectName(QStringLiteral("Splitter1"));
    nameSplitter->setOrientation(Splitter::Vertical);
    nameSplitter->setBackColor(Qt::white);
    place(nameSplitter, SplitterDefaultLeft, 135, SplitterWidth, 1485);
    connect(nameSplitter, &Splitter::BeforeSplit, this, &Form1::beforeNameSplit, Qt::DirectConnection);
    connect(nameSplitter, &Splitter::Split, this, [this] { layoutNameArea(); });

    standardList = new QListWidget(mainFrame);
    standardList->setObjectName(QStringLiteral("List1"));
    standardList->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    drawDisabledInFullContrast(standardList);
    new TabColumns(standardList);
    place(standardList, SplitterDefaultLeft + SplitterWidth + 120, 120, 3000, 1515 + RowHeight + 45);

    topicBox = new QComboBox(mainFrame);
    topicBox->setObjectName(QStringLiteral("Combo3"));
    topicBox->setEditable(true);
    topicBox->setInsertPolicy(QComboBox::NoInsert);
    place(topicBox, TopicBoxLeft, RowA, 4000, RowHeight);
    connect(topicBox, &QComboBox::editTextChanged, this, &Form1::topicTyped);
    connect(topicBox, &QComboBox::activated, this, [this] { topicChosen(); });

    collapseIcon = new GlyphIcon(QColor(0x15, 0x65, 0xc0), QStringLiteral("收"), mainFrame);
    collapseIcon->setObjectName(QStringLiteral("Image2"));
    collapseIcon->setToolTip(QStringLiteral("收起"));
    collapseIcon->setMouseTracking(true);
    collapseIcon->installEventFilter(this);
    place(collapseIcon, 160, RowB, 600, 600);

    classBox = new QComboBox(mainFrame);
    classBox->setObjectName(QStringLiteral("Combo2"));
    classBox->setEditable(true);
    // A long class name ends in "…" and shows whole in the tip.
    classBox->setLineEdit(new ElidedLineEdit(classBox));
    // Classes that differ only late in a long name are told apart in the drop-down.
    dropDownWholeItems(classBox);
    classBox->setInsertPolicy(QComboBox::NoInsert);
    place(classBox, 840, RowB, 1275, RowHeight);
    connect(classBox, &QComboBox::activated, this, [this] { classChosen(); });

    // Thirteen draw buttons in two rows; "手动" closes the second row.
    QFont buttonFont = font();
    buttonFont.setPointSize(9);
    for (int i = 0; i <= ManualButton; ++i) {
        auto *b = new QPushButton(poolCaption(i), mainFrame);
        b->setObjectName(QStringLiteral("btnChou_%1").arg(i));
        b->setFont(buttonFont);
        // The second row starts one column in: the stopwatch stands before it.
        const int row = i < 7 ? 0 : 1;
        const int col = i < 7 ? i : i - 6;
        place(b, 2160 + col * 570, row == 0 ? RowB : RowC, 555, RowHeight);
        connect(b, &QPushButton::clicked, this, [this, i] { drawButtonClicked(i); });
        drawButtons[i] = b;
    }

    userButton = new QPushButton(QStringLiteral("用户"), mainFrame);
    userButton->setObjectName(QStringLiteral("Command1"));
    place(userButton, 6180, RowB, 555, RowHeight);
    connect(userButton, &QPushButton::clicked, this, &Form1::loginRequested);
    uploadButton = new QPushButton(QStringLiteral("上传"), mainFrame);
    uploadButton->setObjectName(QStringLiteral("Command11"));
    place(uploadButton, 6750, RowB, 555, RowHeight);
    connect(uploadButton, &QPushButton::clicked, this, &Form1::openUploadPanel);
    consoleButton = new QPushButton(QStringLiteral("后台"), mainFrame);
    consoleButton->setObjectName(QStringLiteral("btnManage"));
    place(consoleButton, 7320, RowB, 555, RowHeight);
    connect(consoleButton, &QPushButton::clicked, this, &Form1::consoleRequested);

    scoreBox = new QComboBox(mainFrame);
    scoreBox->setObjectName(QStringLiteral("Combo1"));
    scoreBox->setEditable(true);
    scoreBox->setInsertPolicy(QComboBox::NoInsert);
    // Comic Sans bold 18 pt, without a frame so the whole row below the buttons holds its line;
    // smaller only as far as the row needs for the glyphs of "5分" to stand whole in it.
    scoreBox->setFrame(false);
    place(scoreBox, 6180, RowB + RowHeight + 15, 1695, FrameHeight - 15 - (RowB + RowHeight + 15));
    QFont scoreFont(QStringLiteral("Comic Sans MS"), 18, QFont::Bold);
    const QRect scoreLine = textLineArea(scoreBox);
    while (scoreFont.pointSize() > 9) {
        const QFontMetrics metrics(scoreFont);
        const int baseline = (scoreLine.height() - metrics.height() + 1) / 2 + metrics.ascent();
        const QRect ink = metrics.tightBoundingRect(QStringLiteral("5分")).translated(0, baseline);
        if (ink.top() >= 0 && ink.bottom() < scoreLine.height())
            break;
        scoreFont.setPointSize(scoreFont.pointSize() - 1);
    }
    scoreBox->setFont(scoreFont);
    // The score given stays readable while the box waits for the next student.
    drawDisabledInFullContrast(scoreBox);
    connect(scoreBox, &QComboBox::activated, this, [this] { scoreByCombo(); });
    scoreBox->installEventFilter(this);
    scoreBox->lineEdit()->installEventFilter(this);
    connect(standardList, &QListWidget::itemDoubleClicked, this, [this] { scoreByStandard(); });

    // Hidden holders below the visible area.
    for (int i = 0; i < PoolCount; ++i) {
        poolLists[i] = new QListWidget(this);
        poolLists[i]->setObjectName(QStringLiteral("lstKind_%1").arg(i));
        poolLists[i]->hide();
    }
    drawingList = new QListWidget(this);
    drawingList->setObjectName(QStringLiteral("lstJiangChi"));
    drawingList->hide();
    classRecordText = new QPlainTextEdit(this);
    classRecordText->setObjectName(QStringLiteral("Text6"));
    classRecordText->hide();

    drawTimer = new QTimer(this);
    drawTimer->setObjectName(QStringLiteral("Timer1"));
    connect(drawTimer, &QTimer::timeout, this, &Form1::drawTick);
    secondTimer = new QTimer(this);
    secondTimer->setObjectName(QStringLiteral("Timer2"));
    connect(secondTimer, &QTimer::timeout, this, &Form1::secondTick);

    statusBar = new QStatusBar(this);
    statusBar->setObjectName(QStringLiteral("StatusBar1"));
    statusBar->setSizeGripEnabled(false);
    for (int i = 0; i < 5; ++i) {
        m_panels[i] = new ElidedLabel(statusBar);
        m_panels[i]->setObjectName(QStringLiteral("StatusBar1_%1").arg(i + 1));
        // The status bar draws each panel's frame; the label's whole height holds its line.
        m_panels[i]->setFrameShape(QFrame::NoFrame);
        m_panels[i]->installEventFilter(this);
        statusBar->addWidget(m_panels[i], i == 4 ? 1 : 0);
    }
}

QSize Form1::expandedSize() const
{
    return {tw(m_extraWidth + FrameWidth - 100) - FrameAllowanceX,
            tw(m_extraWidth + FrameHeight + 600) - FrameAllowanceY};
}

int Form1::innerWidthTwips() const
{
    return width() * 15;
}

void Form1::Form_Load()
{
    m_className.clear();
    drawTimer->setInterval(5);
    secondTimer->setInterval(1000);
    m_secondsRunning = 0;
    setFixedSize(expandedSize());
    statusBar->setGeometry(0, height() - 22, width(), 22);
    classBox->setEnabled(false);
    classBox->setEditText(QStringLiteral("班级"));
    topicBox->setEditText(QStringLiteral("课题"));
    for (auto *list : poolLists)
        list->clear();
    for (auto *b : drawButtons)
        b->setEnabled(false);
    // Nothing to search before a class is chosen.
    searchBox->setEnabled(false);
    RefreshStandardList();
    scoreBox->clear();
    scoreBox->addItems({QStringLiteral("5分"), QStringLiteral("4分"), QStringLiteral("3分"),
                        QStringLiteral("2分"), QStringLiteral("1分"), QStringLiteral("0分")});
    scoreBox->setEditText(QString());
    scoreBox->setEnabled(false);
    standardList->setEnabled(false);
    scoreLabel->clear();
    countLabel->clear();

    const int widths[4] = {1200, 1800, 1500, 1200};
    setPanelText(1, QStringLiteral("版本:") + programVersionText());
    setPanelText(2, QString());
    m_panels[1]->setToolTipLead(QStringLiteral("双击可下载最新版本"));
    setPanelText(3, QStringLiteral("作者:Oskaro"));
    setPanelText(4, QStringLiteral("双击计时"));
    m_panels[3]->setToolTipLead(QStringLiteral("计时开关"));
    // The score server this tool talks to; the panel still opens the vendor's site.
    setPanelText(5, m_context.config.serverLabel());
    m_panels[4]->setToolTipLead(QStringLiteral("双击访问官网"));
    for (int i = 0; i < 4; ++i)
        m_panels[i]->setFixedWidth(tw(widths[i]));
    // The address panel takes what the others leave, from the first paint on.
    statusBar->layout()->activate();
    secondTimer->start();
}

void Form1::setPanelText(int panel, const QString &text)
{
    if (panel >= 1 && panel <= 5)
        m_panels[panel - 1]->setFullText(text);
}

RecordFile &Form1::records() const
{
    return m_context.session.records();
}

QString Form1::panelText(int panel) const
{
    return panel >= 1 && panel <= 5 ? m_panels[panel - 1]->fullText() : QString();
}

void Form1::panelDoubleClicked(int panel)
{
    if (panel == 4)
        toggleStopwatch();
    else
        m_checks->panelDoubleClicked(panel);
}

void Form1::collapse()
{
    if (m_collapsed || m_resizing)
        return;
    const QScopedValueRollback resizing(m_resizing, true);
    m_collapsed = true;
    nameDisplay->hide();
    nameBox->hide();
    statusBar->hide();
    placeStopwatch();
    // The whole icon, and the stopwatch below it.
    setFixedSize(stopwatchLabel->width(), expandIcon->height() + stopwatchLabel->height());
}

void Form1::expand()
{
    if (!m_collapsed || m_resizing)
        return;
    const QScopedValueRollback resizing(m_resizing, true);
    m_collapsed = false;
    setFixedSize(expandedSize());
    nameDisplay->show();
    nameBox->show();
    statusBar->show();
    placeStopwatch();
    RefreshStandardList();
}

void Form1::placeStopwatch()
{
    // Expanded: in the row of the search box, between the box and the second row of
    // draw buttons. Collapsed: under the icon.
    // Collapsed, the icon stands in the middle above it.
    const int home = tw(120);
    if (m_collapsed) {
        const QSize text = stopwatchLabel->sizeHint();
        const int width = std::max(expandIcon->width(), text.width() + 8);
        expandIcon->move(home + (width - expandIcon->width()) / 2, home);
        stopwatchLabel->setGeometry(home, home + expandIcon->height(), width, text.height());
    } else {
        expandIcon->move(home, home);
        place(stopwatchLabel, 1830, RowC, 870, 300);
    }
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == collapseIcon && (type == QEvent::MouseMove || type == QEvent::Enter)) {
        collapse();
    } else if (watched == expandIcon && (type == QEvent::MouseMove || type == QEvent::Enter)) {
        expand();
    } else if ((watched == scoreBox || watched == scoreBox->lineEdit()) && type == QEvent::KeyRelease) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !scoreBox->currentText().isEmpty())
            scoreByCombo();
    } else if (type == QEvent::MouseButtonDblClick) {
        if (watched == stopwatchLabel) {
            panelDoubleClicked(4);
            return true;
        }
        for (int i = 0; i < 5; ++i) {
            if (watched == m_panels[i]) {
                panelDoubleClicked(i + 1);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent *event)
{
    // Closing the main window ends the program; every score is already on disk.
    drawTimer->stop();
    secondTimer->stop();
    emit closing();
    event->accept();
}

// ---- Stopwatch ----

void Form1::toggleStopwatch()
{
    if (m_stopwatchRunning) {
        m_stopwatchRunning = false;
    } else {
        m_stopwatchRunning = true;
        m_stopwatchSeconds = 0;
    }
}

void Form1::secondTick()
{
    ++m_secondsRunning;
    if (m_stopwatchSeconds < 32767)
        ++m_stopwatchSeconds;
    if (m_stopwatchRunning) {
        const int t = m_stopwatchSeconds;
        const QString mm = twoDigits((t % 3600) / 60), ss = twoDigits(t % 60);
        setPanelText(4, twoDigits(t / 3600) + u':' + mm + u':' + ss);
        stopwatchLabel->setText(mm + u':' + ss);
    }
    if (m_secondsRunning == 1)
        m_checks->runFirstTick(this, [this](const QString &text) { setPanelText(2, text); });
}

} // namespace corvanta
