#pragma once

#include "PageCall.h"

#include <optional>

// Every page of the server, by area; the route table in Routes.cpp names each of them with
// the checks it needs. A page runs only after those checks have passed.

// The pages around a teacher's account: login check, registration, the account-name check
// and the reset of a forgotten password by a mailed check code (AccountPages.cpp).
namespace corvanta::server::account {
PageReply checkPassword(const PageCall &call);
// Registration, and the check of a wished-for account name as it is typed.
PageReply regTeacher(const PageCall &call);
PageReply checkUsername(const PageCall &call);
// Mails a check code; a right code sets the new passwords.
PageReply getPswdCode(const PageCall &call);
PageReply setPassword(const PageCall &call);
} // namespace corvanta::server::account

// The pages the tool uses every lesson: its record file, the server's clock, the upload of
// scores and the groups (ScorePages.cpp).
namespace corvanta::server::scores {
PageReply record(const PageCall &call);
PageReply serverTime(const PageCall &call);
// All lines or none: one bad line refuses the whole upload.
PageReply upload(const PageCall &call);
PageReply group(const PageCall &call);

// One line of an upload: class, student, score, time and standard, TAB-separated; the
// standard may be cut off with its TAB. Nothing for a blank line; nothing and *refusal set
// (naming line number lineNo) for a line that cannot be stored.
std::optional<ScoreRecord> parseUploadLine(QString line, qsizetype lineNo, QString *refusal);
} // namespace corvanta::server::scores

// The management console's pages: the teacher's settings, the class, student and topic
// lists, the scales of a topic and the recorded scores (ConsolePages.cpp).
namespace corvanta::server::console {
PageReply getTeacher(const PageCall &call);
PageReply setTeacher(const PageCall &call);
// A list replaced whole loses what it no longer names: a class its students and scores.
PageReply setClass(const PageCall &call);
PageReply renameClass(const PageCall &call);
PageReply student(const PageCall &call);
PageReply renameStudent(const PageCall &call);
PageReply setKeti(const PageCall &call);
PageReply renameKeti(const PageCall &call);
// Scales of a topic: the standards a score is given by.
PageReply getScale(const PageCall &call);
PageReply newScale(const PageCall &call);
PageReply editScale(const PageCall &call);
PageReply delScale(const PageCall &call);
// Recorded scores of a class.
PageReply getScore(const PageCall &call);
PageReply editScore(const PageCall &call);
PageReply delScore(const PageCall &call);
} // namespace corvanta::server::console

// Pages for people in a browser: the score home page, a signed-in teacher's class pages and
// the vendor site served alongside (WebPages.cpp).
namespace corvanta::server::web {
// The sign-in form; the newest scores of the teacher the address names; or, signed in, the
// teacher's classes.
PageReply scoreHome(const PageCall &call);
// After the sign-in form: a session cookie and the way to the home page.
PageReply signedIn(const PageCall &call);
PageReply signOut(const PageCall &call);
// A class of the signed-in teacher: its page, and every score as a CSV file.
PageReply classPage(const PageCall &call);
PageReply classCsv(const PageCall &call);
// A student of the signed-in teacher's class: its page (a page of its scores at a time), and
// every score as a CSV file.
PageReply studentPage(const PageCall &call);
PageReply studentCsv(const PageCall &call);
// The site's icon, and what search engines may read.
PageReply favicon(const PageCall &call);
PageReply robots(const PageCall &call);
PageReply version(const PageCall &call);
PageReply updatePage(const PageCall &call);
PageReply vendorHome(const PageCall &call);
} // namespace corvanta::server::web
