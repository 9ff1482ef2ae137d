#pragma once

#include "Store.h"

#include <QByteArray>

namespace corvanta::server {

// The class record file the tool downloads: GBK, CR LF, one record per line. The class
// list record, one topic record per topic with its scales, then one six-field record per
// student: class, name, group, 0, mean score, count.
QByteArray writeRecordFile(const RecordData &data);

// Mean of a student's scores as the record file shows it: at most two decimals, shortest
// text; "0" without records.
QString meanScoreText(double sum, int count);

} // namespace corvanta::server
