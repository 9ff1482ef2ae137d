#pragma once

#include "core/AppConfig.h"
#include "core/Result.h"
#include "net/LoginState.h"

namespace corvanta {

class ServerLink;

// Replaces the class record file in the data folder with the teacher's data as the server
// holds it now. Only a complete reply that is a class record file replaces it; otherwise
// the old copy stays and the result says why.
Result RefreshRecordCache(ServerLink &link, const AppConfig &config, const LoginState &login);

} // namespace corvanta
