#pragma once

#include "PageContext.h"

#include "core/Result.h"

#include <optional>

// Every page of the server, by area; each area file lists its route rows next to its pages,
// made from the pages' declarations in net/PageDescriptor.h. A page runs only after its
// route's checks have passed.
//
// How pages fail: what a person reads (a refused name, a line that cannot be stored) is a
// Result or Expected carrying the text, answered by refused(); a database failure is the
// StoreError exception, which the front answers with status 500.

// The pages around a teacher's account: login check, registration, the account-name check
// and the reset of a forgotten password by a mailed check code (AccountPages.cpp).
namespace corvanta::server::account {
PageReply checkPassword(const PageContext &call);
// Registration, and the check of a wished-for account name as it is typed.
PageReply regTeacher(const PageContext &call);
PageReply checkUsername(const PageContext &call);
// Mails a check code; a right code sets the new passwords.
PageReply getPswdCode(const PageContext &call);
PageReply setPassword(const PageContext &call);
} // namespace corvanta::server::account

// The pages the tool uses every lesson: its record file, the server's clock, the upload of
// scores and the groups (ScorePages.cpp).
namespace corvanta::server::scores {
PageReply record(const PageContext &call);
PageReply serverTime(const PageContext &call);
// All lines or none: one bad line refuses the whole upload; for a tool that says
// field::kPartial, the lines that can be stored are, and the others are named.
PageReply upload(const PageContext &call);
PageReply group(const PageContext &call);

// One line of an upload: class, student, score, time and standard, TAB-separated; the
// standard may be cut off with its TAB. Nothing for a blank line; a failure naming line
// number lineNo for a line that cannot be stored.
Expected<std::optional<ScoreRecord>> parseUploadLine(QString line, qsizetype lineNo);
} // namespace corvanta::server::scores

// The management console's pages: the teacher's settings, the class, student and topic
// lists, the scales of a topic and the recorded scores (ConsolePages.cpp).
namespace corvanta::server::console {
PageReply getTeacher(const PageContext &call);
PageReply setTeacher(const PageContext &call);
// A list replaced whole loses what it no longer names: a class its students and scores.
PageReply setClass(const PageContext &call);
PageReply renameClass(const PageContext &call);
PageReply student(const PageContext &call);
PageReply renameStudent(const PageContext &call);
PageReply setKeti(const PageContext &call);
PageReply renameKeti(const PageContext &call);
// Scales of a topic: the standards a score is given by.
PageReply getScale(const PageContext &call);
PageReply newScale(const PageContext &call);
PageReply editScale(const PageContext &call);
PageReply delScale(const PageContext &call);
// Recorded scores of a class.
PageReply getScore(const PageContext &call);
PageReply editScore(const PageContext &call);
PageReply delScore(const PageContext &call);
} // namespace corvanta::server::console

// Pages for people in a browser: the score home page, a signed-in teacher's class pages and
// the vendor site served alongside (WebPages.cpp).
namespace corvanta::server::web {
// The sign-in form; the newest scores of the teacher the address names; or, signed in, the
// teacher's classes.
PageReply scoreHome(const PageContext &call);
// After the sign-in form: a session cookie and the way to the home page.
PageReply signedIn(const PageContext &call);
PageReply signOut(const PageContext &call);
// A class of the signed-in teacher: its page, and every score as a CSV file.
PageReply classPage(const PageContext &call);
PageReply classCsv(const PageContext &call);
// A student of the signed-in teacher's class: its page (a page of its scores at a time), and
// every score as a CSV file.
PageReply studentPage(const PageContext &call);
PageReply studentCsv(const PageContext &call);
// The site's icon, and what search engines may read.
PageReply favicon(const PageContext &call);
PageReply robots(const PageContext &call);
PageReply version(const PageContext &call);
PageReply updatePage(const PageContext &call);
PageReply vendorHome(const PageContext &call);
} // namespace corvanta::server::web
