#pragma once

#include "Store.h"

#include <QString>
#include <QStringList>

// The pages people open in a browser: UTF-8 HTML with the style sheet (and the sorting
// script) inside, nothing loaded from anywhere else. Every stored text is escaped.
namespace corvanta::server::html {

QString esc(const QString &text);
// A time for a table cell, "yyyy-MM-dd hh:mm", its year dropped on a phone; "—" for 0.
QString timeCell(qint64 seconds);
// The same for a moment of the server's clock (Unix seconds), such as a class's last upload.
QString momentCell(qint64 unixSeconds);
// A table cell for a stored text that may be long (a name, a note): kept on one line, cut
// with "…" past a width, the whole text in its title; a link when href is given (not yet
// HTML-escaped).
QString clippedCell(const QString &text, const QString &href = {});
// A table in a box that scrolls sideways on a narrow screen, labelled for screen readers.
QString scrollBox(const QString &label, const QString &table);
// A whole page: the header line (when given) as its banner, the body as its main part;
// withScript adds the page script (table sorting, printing).
QString document(const QString &title, const QString &body, bool withScript = false,
                 const QString &header = {});
// A page address with its fields escaped as the server reads them (GBK bytes), every byte but
// letters, digits and "-._~" percent-encoded; not yet HTML-escaped.
QString webAddress(const char *path, const QList<QPair<QString, QString>> &fields);
// The address of a class's page (or CSV download), with the sort order when given.
QString classAddress(const char *path, const QString &className, const QString &sort = {});
// The address of a student's page (or CSV download); page > 1 names a later page of scores,
// kEveryScore the page with all of them.
inline constexpr int kEveryScore = 0;
QString studentAddress(const char *path, const QString &className, const QString &student, int page = 1);
// The header line of a signed-in page: links, the teacher and the "退出" button.
QString signedInBar(const Teacher &teacher, const QString &links);

// The sign-in form; after a refusal the message is announced, the account kept and the
// password box focused. `next`: the page the sign-in returns to (checked again on return).
QString signInPage(const QString &message, const QString &account = {}, const QString &next = {});
// Where a sign-in goes: `asked` when it is a path of this site's pages ("/score/...", no
// other host, scheme, backslash or control character), else the home page.
QByteArray returnAddress(const QString &asked);
// The address of a page as asked for: its path and its fields again, escaped.
QString askedAddress(const QString &path, const QList<QPair<QString, QString>> &fields);
// The signed-in teacher's classes at a glance and the newest scores.
QString homePage(const Teacher &teacher, const QList<ClassSummary> &classes,
                 const QList<ScoreRecord> &recent);
QString recentScoresPage(const Teacher &teacher, const QList<ScoreRecord> &recent);
QString notFoundPage(const QString &text);
QString vendorHomePage(const QString &version);
QString updatePage(const QString &version);

} // namespace corvanta::server::html
