#pragma once

#include "PageCall.h"

// The pages around a teacher's account: login check, registration, the account-name check
// and the reset of a forgotten password by a mailed check code.
namespace corvanta::server::account {

PageReply checkPassword(const PageCall &call);
PageReply regTeacher(const PageCall &call);
PageReply checkUsername(const PageCall &call);
PageReply getPswdCode(const PageCall &call);
PageReply setPassword(const PageCall &call);

} // namespace corvanta::server::account
