#include "PendingPrompts.h"

#include "widgets/Prompter.h"

namespace corvanta {

void reportPendingWriteFailure(Prompter &prompter, QWidget *parent, const Result &failure)
{
    prompter.message(parent, QStringLiteral("错误"),
                     QStringLiteral("待上传成绩无法写入文件，程序关闭后将会丢失：") + QStringLiteral("\r\n") +
                         failure.error(),
                     PromptIcon::Warning);
}

} // namespace corvanta
