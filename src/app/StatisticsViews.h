#pragma once

#include "app/Pools.h"

#include <QStringList>

#include <array>

namespace corvanta {

// The statistics panel: tabs 1..3 show four draw pools side by side, tab 4 the group lists.
constexpr int ViewTabCount = 4;
constexpr int ViewFrameCount = 4;
constexpr int GroupTab = 4;

// "常用", "次数", "难度", "分组" for tabs 1..4; "" otherwise.
QString viewTabCaption(int tab);
// Caption of frame 0..3 under tab 1..3; "" otherwise.
QString viewFrameCaption(int tab, int frame);
// The pool frame 0..3 of tab 1..3 shows; -1 otherwise.
int viewPool(int tab, int frame);

// The names each frame of the tab lists, snapshots of the pools in pool order. Frame 0
// of tab 1 holds those called at some time: pool 0 less one line for each name of pool 3.
// All empty for the group tab or a tab out of range.
std::array<QStringList, ViewFrameCount> viewLists(const std::array<QStringList, PoolCount> &pools, int tab);

} // namespace corvanta
