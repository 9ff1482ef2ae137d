#include "ShortcutPage.h"

#include "console/ConsoleSession.h"
#include "console/Shortcuts.h"
#include "core/AppConfig.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QSignalBlocker>

namespace corvanta {

ShortcutPage::ShortcutPage(ConsoleSession &session, QWidget *parent)
    : ConsolePage(session, QStringLiteral("快捷方式管理"), parent)
{
    const QString captions[3] = {QStringLiteral("桌面快捷方式"), QStringLiteral("程序组快捷方式"),
                                 QStringLiteral("开始菜单快捷方式")};
    for (int kind = 0; kind < 3; ++kind) {
        shortcutBoxes[kind] = new QCheckBox(captions[kind], this);
        shortcutBoxes[kind]->setObjectName(QStringLiteral("ChkShortCut_%1").arg(kind));
        shortcutBoxes[kind]->setGeometry(twips(960, 720 + 600 * kind, 3615, 375));
        // A change from code runs the same step as a click.
        connect(shortcutBoxes[kind], &QCheckBox::toggled, this,
                [this, kind](bool on) { boxToggled(kind, on); });
    }
    createAllButton =
        addButton(this, QStringLiteral("Command11"), QStringLiteral("创建所有"), twips(960, 2760, 1455, 495));
    deleteAllButton = addButton(this, QStringLiteral("Command12"), QStringLiteral("删除所有"),
                                twips(2880, 2760, 1455, 495));
    connect(createAllButton, &QPushButton::clicked, this, [this] { setAll(true); });
    connect(deleteAllButton, &QPushButton::clicked, this, [this] { setAll(false); });
}

void ShortcutPage::fillPage()
{
    for (int kind = 0; kind < 3; ++kind) {
        if (console::shortcutExists(kind, m_session.shortcutFolders()))
            shortcutBoxes[kind]->setChecked(true); // writes it again with this program's path
        else
            showDiskState(kind);
    }
}

void ShortcutPage::setAll(bool ticked)
{
    for (QCheckBox *box : shortcutBoxes)
        box->setChecked(ticked);
}

void ShortcutPage::boxToggled(int kind, bool ticked)
{
    const console::ShortcutFolders &folders = m_session.shortcutFolders();
    const Result done =
        ticked ? console::AddProgramShortcut(kind, folders, QCoreApplication::applicationFilePath(),
                                             m_session.context().config.launcherArguments)
               : console::RemoveProgramShortcut(kind, folders);
    if (!done) {
        showDiskState(kind);
        tellRefusal(done.error());
    }
}

void ShortcutPage::showDiskState(int kind)
{
    const QSignalBlocker quiet(shortcutBoxes[kind]);
    shortcutBoxes[kind]->setChecked(console::shortcutExists(kind, m_session.shortcutFolders()));
}

} // namespace corvanta
