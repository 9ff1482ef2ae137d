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
    Frame4 = new UploadPanel(m_context, this);
    Frame4->hide();
    connect(Frame4, &UploadPanel::closeRequested, this, &Form1::closeUploadPanel);
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
    Frame5 = new QFrame(this);
    Frame5->setObjectName(QStringLiteral("Frame5"));
    Frame5->setFrameShape(QFrame::StyledPanel);
    place(Frame5, FrameLeft, FrameTop, FrameWidth, FrameHeight);

    // The icon under the name box shows only while the window is collapsed.
    Image1 = new GlyphIcon(QColor(0x2e, 0x7d, 0x32), QStringLiteral("点"), Frame5);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setMouseTracking(true);
    Image1->installEventFilter(this);
    place(Image1, 120, 120, 600, 600);

    Text13 = new QFrame(Frame5);
    Text13->setObjectName(QStringLiteral("Text13"));
    Text13->setFrameShape(QFrame::Box);
    Text13->setAutoFillBackground(true);
    Text13->setStyleSheet(QStringLiteral("#Text13 { background: white; border: 1px solid #8a8a8a; }"));
    place(Text13, 120, 120, 4215, 1515);

    Text2 = new NameDisplay(Frame5);
    Text2->setObjectName(QStringLiteral("Text2"));
    place(Text2, 150, 150, 4125, 1395);
    connect(Text2, &QLineEdit::textChanged, this, &Form1::nameDisplayChanged);

    Label30 = new QLabel(QStringLiteral("00:00"), Frame5);
    Label30->setObjectName(QStringLiteral("Label30"));
    QFont stopwatchFont(QStringLiteral("Arial Narrow"), 12, QFont::Bold);
    Label30->setFont(stopwatchFont);
    Label30->setStyleSheet(QStringLiteral("color: #555; background: transparent;"));
    Label30->setAlignment(Qt::AlignCenter);
    Label30->installEventFilter(this);
    placeStopwatch();

    const QFont numberFont(QStringLiteral("Arial Black"), 11, QFont::Black);
    Label28 = new QLabel(Frame5);
    Label28->setObjectName(QStringLiteral("Label28"));
    Label28->setFont(numberFont);
    Label28->setToolTip(QStringLiteral("次数"));
    Label28->setAlignment(Qt::AlignCenter);
    place(Label28, 120, RowA, 780, RowHeight);
    Label4 = new QLabel(Frame5);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setFont(numberFont);
    Label4->setToolTip(QStringLiteral("成绩"));
    Label4->setAlignment(Qt::AlignCenter);
    place(Label4, 930, RowA, 860, RowHeight);

    // The bar lies over the right edge of the name box: it takes the box's white, so the
    // box shows whole and only the cursor tells where the bar is.
    Splitter1 = new Splitter(Frame5);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setOrientation(Splitter::Vertical);
    Splitter1->setBackColor(Qt::white);
    place(Splitter1, SplitterDefaultLeft, 135, SplitterWidth, 1485);
    connect(Splitter1, &Splitter::BeforeSplit, this, &Form1::Splitter1_BeforeSplit, Qt::DirectConnection);
    connect(Splitter1, &Splitter::Split, this, [this] { layoutNameArea(); });

    List1 = new QListWidget(Frame5);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    drawDisabledInFullContrast(List1);
    new TabColumns(List1);
    place(List1, SplitterDefaultLeft + SplitterWidth + 120, 120, 3000, 1515 + RowHeight + 45);

    Combo3 = new QComboBox(Frame5);
    Combo3->setObjectName(QStringLiteral("Combo3"));
    Combo3->setEditable(true);
    Combo3->setInsertPolicy(QComboBox::NoInsert);
    place(Combo3, Combo3Left, RowA, 4000, RowHeight);
    connect(Combo3, &QComboBox::editTextChanged, this, &Form1::topicTyped);
    connect(Combo3, &QComboBox::activated, this, [this] { topicChosen(); });

    Image2 = new GlyphIcon(QColor(0x15, 0x65, 0xc0), QStringLiteral("收"), Frame5);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setToolTip(QStringLiteral("收起"));
    Image2->setMouseTracking(true);
    Image2->installEventFilter(this);
    place(Image2, 160, RowB, 600, 600);

    Combo2 = new QComboBox(Frame5);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    Combo2->setEditable(true);
    // A long class name ends in "…" and shows whole in the tip.
    Combo2->setLineEdit(new ElidedLineEdit(Combo2));
    // Classes that differ only late in a long name are told apart in the drop-down.
    dropDownWholeItems(Combo2);
    Combo2->setInsertPolicy(QComboBox::NoInsert);
    place(Combo2, 840, RowB, 1275, RowHeight);
    connect(Combo2, &QComboBox::activated, this, [this] { classChosen(); });

    // Thirteen draw buttons in two rows; "手动" closes the second row.
    QFont buttonFont = font();
    buttonFont.setPointSize(9);
    for (int i = 0; i <= ManualButton; ++i) {
        auto *b = new QPushButton(poolCaption(i), Frame5);
        b->setObjectName(QStringLiteral("btnChou_%1").arg(i));
        b->setFont(buttonFont);
        // The second row starts one column in: the stopwatch stands before it.
        const int row = i < 7 ? 0 : 1;
        const int col = i < 7 ? i : i - 6;
        place(b, 2160 + col * 570, row == 0 ? RowB : RowC, 555, RowHeight);
        connect(b, &QPushButton::clicked, this, [this, i] { drawButtonClicked(i); });
        btnChou[i] = b;
    }

    Command1 = new QPushButton(QStringLiteral("用户"), Frame5);
    Command1->setObjectName(QStringLiteral("Command1"));
    place(Command1, 6180, RowB, 555, RowHeight);
    connect(Command1, &QPushButton::clicked, this, &Form1::loginRequested);
    Command11 = new QPushButton(QStringLiteral("上传"), Frame5);
    Command11->setObjectName(QStringLiteral("Command11"));
    place(Command11, 6750, RowB, 555, RowHeight);
    connect(Command11, &QPushButton::clicked, this, &Form1::openUploadPanel);
    btnManage = new QPushButton(QStringLiteral("后台"), Frame5);
    btnManage->setObjectName(QStringLiteral("btnManage"));
    place(btnManage, 7320, RowB, 555, RowHeight);
    connect(btnManage, &QPushButton::clicked, this, &Form1::consoleRequested);

    Combo1 = new QComboBox(Frame5);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    // Comic Sans bold 18 pt, without a frame so the whole row below the buttons holds its line;
    // smaller only as far as the row needs for the glyphs of "5分" to stand whole in it.
    Combo1->setFrame(false);
    place(Combo1, 6180, RowB + RowHeight + 15, 1695, FrameHeight - 15 - (RowB + RowHeight + 15));
    QFont scoreFont(QStringLiteral("Comic Sans MS"), 18, QFont::Bold);
    const QRect scoreLine = textLineArea(Combo1);
    while (scoreFont.pointSize() > 9) {
        const QFontMetrics metrics(scoreFont);
        const int baseline = (scoreLine.height() - metrics.height() + 1) / 2 + metrics.ascent();
        const QRect ink = metrics.tightBoundingRect(QStringLiteral("5分")).translated(0, baseline);
        if (ink.top() >= 0 && ink.bottom() < scoreLine.height())
            break;
        scoreFont.setPointSize(scoreFont.pointSize() - 1);
    }
    Combo1->setFont(scoreFont);
    // The score given stays readable while the box waits for the next student.
    drawDisabledInFullContrast(Combo1);
    connect(Combo1, &QComboBox::activated, this, [this] { scoreByCombo(); });
    Combo1->installEventFilter(this);
    Combo1->lineEdit()->installEventFilter(this);
    connect(List1, &QListWidget::itemDoubleClicked, this, [this] { scoreByStandard(); });

    // Hidden holders below the visible area.
    for (int i = 0; i < PoolCount; ++i) {
        lstKind[i] = new QListWidget(this);
        lstKind[i]->setObjectName(QStringLiteral("lstKind_%1").arg(i));
        lstKind[i]->hide();
    }
    lstJiangChi = new QListWidget(this);
    lstJiangChi->setObjectName(QStringLiteral("lstJiangChi"));
    lstJiangChi->hide();
    Text6 = new QPlainTextEdit(this);
    Text6->setObjectName(QStringLiteral("Text6"));
    Text6->hide();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Tick);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    connect(Timer2, &QTimer::timeout, this, &Form1::Timer2_Tick);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    for (int i = 0; i < 5; ++i) {
        m_panels[i] = new ElidedLabel(StatusBar1);
        m_panels[i]->setObjectName(QStringLiteral("StatusBar1_%1").arg(i + 1));
        // The status bar draws each panel's frame; the label's whole height holds its line.
        m_panels[i]->setFrameShape(QFrame::NoFrame);
        m_panels[i]->installEventFilter(this);
        StatusBar1->addWidget(m_panels[i], i == 4 ? 1 : 0);
    }
}

QSize Form1::expandedSize() const
{
    return {tw(debug_width + FrameWidth - 100) - FrameAllowanceX,
            tw(debug_width + FrameHeight + 600) - FrameAllowanceY};
}

int Form1::innerWidthTwips() const
{
    return width() * 15;
}

void Form1::Form_Load()
{
    class_num.clear();
    Timer1->setInterval(5);
    Timer2->setInterval(1000);
    timer_time = 0;
    setFixedSize(expandedSize());
    StatusBar1->setGeometry(0, height() - 22, width(), 22);
    Combo2->setEnabled(false);
    Combo2->setEditText(QStringLiteral("班级"));
    Combo3->setEditText(QStringLiteral("课题"));
    for (auto *list : lstKind)
        list->clear();
    for (auto *b : btnChou)
        b->setEnabled(false);
    // Nothing to search before a class is chosen.
    txtManual->setEnabled(false);
    RefreshStandardList();
    Combo1->clear();
    Combo1->addItems({QStringLiteral("5分"), QStringLiteral("4分"), QStringLiteral("3分"),
                      QStringLiteral("2分"), QStringLiteral("1分"), QStringLiteral("0分")});
    Combo1->setEditText(QString());
    Combo1->setEnabled(false);
    List1->setEnabled(false);
    Label4->clear();
    Label28->clear();

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
    StatusBar1->layout()->activate();
    Timer2->start();
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
    Text2->hide();
    Text13->hide();
    StatusBar1->hide();
    placeStopwatch();
    // The whole icon, and the stopwatch below it.
    setFixedSize(Label30->width(), Image1->height() + Label30->height());
}

void Form1::expand()
{
    if (!m_collapsed || m_resizing)
        return;
    const QScopedValueRollback resizing(m_resizing, true);
    m_collapsed = false;
    setFixedSize(expandedSize());
    Text2->show();
    Text13->show();
    StatusBar1->show();
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
        const QSize text = Label30->sizeHint();
        const int width = std::max(Image1->width(), text.width() + 8);
        Image1->move(home + (width - Image1->width()) / 2, home);
        Label30->setGeometry(home, home + Image1->height(), width, text.height());
    } else {
        Image1->move(home, home);
        place(Label30, 1830, RowC, 870, 300);
    }
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == Image2 && (type == QEvent::MouseMove || type == QEvent::Enter)) {
        collapse();
    } else if (watched == Image1 && (type == QEvent::MouseMove || type == QEvent::Enter)) {
        expand();
    } else if ((watched == Combo1 || watched == Combo1->lineEdit()) && type == QEvent::KeyRelease) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !Combo1->currentText().isEmpty())
            scoreByCombo();
    } else if (type == QEvent::MouseButtonDblClick) {
        if (watched == Label30) {
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
    Timer1->stop();
    Timer2->stop();
    emit closing();
    event->accept();
}

// ---- Stopwatch ----

void Form1::toggleStopwatch()
{
    if (RecTime) {
        RecTime = false;
    } else {
        RecTime = true;
        timer_class = 0;
    }
}

void Form1::Timer2_Tick()
{
    ++timer_time;
    if (timer_class < 32767)
        ++timer_class;
    if (RecTime) {
        const int t = timer_class;
        const QString mm = twoDigits((t % 3600) / 60), ss = twoDigits(t % 60);
        setPanelText(4, twoDigits(t / 3600) + u':' + mm + u':' + ss);
        Label30->setText(mm + u':' + ss);
    }
    if (timer_time == 1)
        m_checks->runFirstTick(this, [this](const QString &text) { setPanelText(2, text); });
}

} // namespace corvanta
