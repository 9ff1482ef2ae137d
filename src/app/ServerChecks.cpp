#include "ServerChecks.h"

#include "core/Clock.h"
#include "core/TextCodec.h"
#include "net/ScoreRequests.h"
#include "net/ServerLink.h"
#include "net/Wire.h"
#include "widgets/Prompter.h"

#include <cmath>

namespace corvanta {

std::optional<QString> CheckServerClock(const QString &serverReply, const QDateTime &localNow)
{
    const double server = leadingNumber(serverReply);
    // Beyond any writable date the reply is no clock at all.
    if (!(std::abs(server) < 1e15))
        return std::nullopt;
    const qint64 serverSeconds = std::llround(server);
    const qint64 local = localNow.toSecsSinceEpoch();
    const qint64 floor = DateTextToSeconds(QStringLiteral("2013-3-15"));
    if (!(std::abs(server - double(local)) > 300 && server > double(floor)))
        return std::nullopt;
    // Both are moments, not score times: shown as this computer's clock reads them.
    const QString serverText = LocalTimeText(serverSeconds);
    if (serverText.isEmpty())
        return std::nullopt;
    return QStringLiteral("时间错误，请修改后确定！\r\n服务器时间:") + serverText +
           QStringLiteral("\r\n本电脑时间:") + LocalTimeText(local);
}

std::optional<QString> versionPanelText(const QString &reply)
{
    static const QString prefix = QStringLiteral("Selvane:");
    if (!reply.startsWith(prefix))
        return std::nullopt;
    return QStringLiteral("服务器版本:") + reply.mid(prefix.size()).trimmed();
}

QString checkingVersionText()
{
    return QStringLiteral("正在检测服务器版本");
}

ServerChecks::ServerChecks(AppContext &context) : m_context(context) {}

void ServerChecks::runFirstTick(QWidget *parent, const std::function<void(const QString &)> &setPanel2Text)
{
    if (m_ran)
        return;
    m_ran = true;

    // Only a whole 200 reply is read; anything else reads as 0, which is before the floor.
    const HttpResult clock = m_context.link.send(score_pages::serverTime(m_context.random));
    const QString clockText = clock.status == 200 ? clock.text : QString();
    if (const auto message = CheckServerClock(clockText, m_context.clock.now()))
        m_context.prompter.message(parent, QStringLiteral("时间错误"), *message, PromptIcon::Warning);

    if (setPanel2Text)
        setPanel2Text(checkingVersionText());
    const HttpResult version = m_context.link.send(score_pages::versionQuery(m_context.random));
    const auto text = version.status == 200 ? versionPanelText(version.text) : std::nullopt;
    if (text && setPanel2Text)
        setPanel2Text(*text);
}

bool ServerChecks::panelDoubleClicked(int panel)
{
    switch (panel) {
    case 2:
        m_context.prompter.openUrl(m_context.link.address(score_pages::updatePage()));
        return true;
    case 5:
        m_context.prompter.openUrl(m_context.link.address(score_pages::vendorHome()));
        return true;
    default:
        return false;
    }
}

} // namespace corvanta
