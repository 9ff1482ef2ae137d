#pragma once

#include "PageCall.h"

#include <optional>

// The pages the tool uses every lesson: its record file, the server's clock, the upload of
// scores and the groups.
namespace corvanta::server::scores {

PageReply record(const PageCall &call);
PageReply serverTime(const PageCall &call);
PageReply upload(const PageCall &call);
PageReply group(const PageCall &call);

// One line of an upload: class, student, score, time and standard, TAB-separated; the
// standard may be cut off with its TAB. Nothing for a blank line; nothing and *refusal set
// (naming line number lineNo) for a line that cannot be stored.
std::optional<ScoreRecord> parseUploadLine(QString line, qsizetype lineNo, QString *refusal);

} // namespace corvanta::server::scores
