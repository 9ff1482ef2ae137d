#pragma once

#include "net/Wire.h"

#include <QString>

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
