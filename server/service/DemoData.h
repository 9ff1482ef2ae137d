#pragma once

#include "ScoreService.h"
#include "Store.h"

namespace corvanta::server {

// The demo teacher (demo / demo / demo, demo@example.org): two classes of about thirty
// students in groups 0..5, a few scores, two topics with three scales each. Nothing
// happens when the account exists. Returns false only when it could not be added.
bool addDemoTeacher(ScoreService &service, Store &store);

// A large teacher for the benchmark: 20 classes x 50 students, two topics, login and
// operation password equal to the account name.
bool addBenchTeacher(ScoreService &service, Store &store, const QString &account);

// A realistic Chinese name for the n-th student; distinct for n < 1000.
QString studentName(int n);

} // namespace corvanta::server
