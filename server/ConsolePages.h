#pragma once

#include "PageCall.h"

// The management console's pages: the teacher's settings, the class, student and topic
// lists, the scales of a topic and the recorded scores.
namespace corvanta::server::console {

PageReply getTeacher(const PageCall &call);
PageReply setTeacher(const PageCall &call);

PageReply setClass(const PageCall &call);
PageReply renameClass(const PageCall &call);
PageReply student(const PageCall &call);
PageReply renameStudent(const PageCall &call);
PageReply setKeti(const PageCall &call);
PageReply renameKeti(const PageCall &call);

PageReply getScale(const PageCall &call);
PageReply newScale(const PageCall &call);
PageReply editScale(const PageCall &call);
PageReply delScale(const PageCall &call);

PageReply getScore(const PageCall &call);
PageReply editScore(const PageCall &call);
PageReply delScore(const PageCall &call);

} // namespace corvanta::server::console
