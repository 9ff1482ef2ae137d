#pragma once

#include "net/Wire.h"

#include <QString>

#include <utility>

// A request to one page, as pure data: which site, which method, which path, which
// fields. The page builders of each feature make these; the transport sends them.
namespace corvanta {

enum class Site { ScoreServer, Vendor };
enum class PageMethod { Get, Post };

struct PageCall
{
    Site site = Site::ScoreServer;
    PageMethod method = PageMethod::Get;
    QString path;      // one of the constants of PagePaths.h
    FormFields fields; // the query of a GET, the body of a POST

    // A page of the score server, or of the vendor site, by its path constant.
    static PageCall post(const char *path, FormFields fields)
    {
        return {Site::ScoreServer, PageMethod::Post, QString::fromLatin1(path), std::move(fields)};
    }
    static PageCall get(const char *path, FormFields fields = {})
    {
        return {Site::ScoreServer, PageMethod::Get, QString::fromLatin1(path), std::move(fields)};
    }
    static PageCall vendorGet(const char *path, FormFields fields = {})
    {
        return {Site::Vendor, PageMethod::Get, QString::fromLatin1(path), std::move(fields)};
    }
};

// What came back: the status (0: no complete reply at all), the body as GBK text, and for
// a failed transfer what went wrong, for a person to read.
struct HttpResult
{
    int status = 0;
    QString text;
    QString error;

    bool complete() const { return status != 0; }
    ReplyOutcome outcome(const QString &successWord = QStringLiteral("Success!")) const
    {
        return classifyReply(status, text, successWord);
    }
};

} // namespace corvanta
