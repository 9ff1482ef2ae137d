#pragma once

#include "console/ConsolePage.h"

namespace corvanta {

// Page 4 "快捷方式管理": the program's launchers on the desktop and in the menu. A ticked
// box has its launcher on disk; ticking writes it, clearing removes it.
class ShortcutPage : public ConsolePage
{
    Q_OBJECT
public:
    ShortcutPage(ConsoleSession &session, QWidget *parent);
    void fillPage() override;

private:
    void boxToggled(int kind, bool ticked);
    void setAll(bool ticked);
    void showDiskState(int kind);

    QCheckBox *shortcutBoxes[3] = {};
    QPushButton *createAllButton;
    QPushButton *deleteAllButton;
};

} // namespace corvanta
