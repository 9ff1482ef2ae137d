#pragma once

#include "PageReply.h"
#include "PageRequest.h"
#include "ScoreService.h"

namespace corvanta::server {

// What a page is handed once its route's checks have passed.
struct PageContext
{
    ScoreService &service;
    const PageRequest &request;
    // The teacher the route's credential named; empty (id 0) for a page without one.
    const Teacher &teacher;

    QString field(const char *name) const { return request.fields.value(QLatin1String(name)); }
    bool has(const char *name) const { return request.fields.has(QLatin1String(name)); }
    Store &store() const { return service.store(); }
};

using PageHandler = PageReply (*)(const PageContext &);

} // namespace corvanta::server
