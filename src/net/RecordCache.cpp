#include "RecordCache.h"

#include "net/RecordFormat.h"
#include "net/ScoreRequests.h"
#include "net/ServerLink.h"

namespace corvanta {

Result RefreshRecordCache(ServerLink &link, const AppConfig &config, const LoginState &login)
{
    if (!config.ensureDataDir())
        return Result::failure(QStringLiteral("无法建立数据文件夹：") + config.dataDir);
    return link.download(score_pages::record(login.LoginUser, login.LoginDigest), config.recordFile(),
                         &checkRecordFile);
}

} // namespace corvanta
