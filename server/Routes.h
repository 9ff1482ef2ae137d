#pragma once

#include "ScoreService.h"

#include <QList>
#include <QString>

namespace corvanta::server {

// The one table of pages: path, allowed method, and the page that answers.
struct Route
{
    const char *path;
    Method method;
    PageReply (ScoreService::*page)(const PageRequest &);
};

const QList<Route> &routes();

// Answers a decoded request: the page of its route, 405 for a known path with another
// method, 404 for an unknown path. StoreError escapes to the caller (status 500).
PageReply dispatch(ScoreService &service, const PageRequest &request);

} // namespace corvanta::server
