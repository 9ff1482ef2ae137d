#pragma once

#include "PageCall.h"

// Pages for people in a browser: the score home page (sign-in form, a teacher's classes
// and recent scores) and the vendor site served alongside.
namespace corvanta::server::web {

// The sign-in form, or the newest scores of the teacher the address names.
PageReply scoreHome(const PageCall &call);
// The teacher's classes and recent scores after signing in on the form.
PageReply signedIn(const PageCall &call);

PageReply version(const PageCall &call);
PageReply updatePage(const PageCall &call);
PageReply vendorHome(const PageCall &call);

} // namespace corvanta::server::web
