#include "StatisticsViews.h"

namespace corvanta {

QString viewTabCaption(int tab)
{
    static const char16_t *const captions[] = {u"常用", u"次数", u"难度", u"分组"};
    if (tab < 1 || tab > ViewTabCount)
        return {};
    return QString::fromUtf16(captions[tab - 1]);
}

int viewPool(int tab, int frame)
{
    if (tab < 1 || tab >= GroupTab || frame < 0 || frame >= ViewFrameCount)
        return -1;
    return (tab - 1) * ViewFrameCount + frame;
}

QString viewFrameCaption(int tab, int frame)
{
    // Tab 3 names the score pools by difficulty, unlike their draw buttons.
    static const char16_t *const captions[] = {u"曾经被点", u"本次未点", u"本次已点", u"从未被点",
                                               u"很少",     u"较少",     u"较多",     u"很多",
                                               u"很易",     u"较易",     u"较难",     u"很难"};
    const int pool = viewPool(tab, frame);
    return pool < 0 ? QString() : QString::fromUtf16(captions[pool]);
}

std::array<QStringList, ViewFrameCount> viewLists(const std::array<QStringList, PoolCount> &pools, int tab)
{
    std::array<QStringList, ViewFrameCount> lists;
    if (viewPool(tab, 0) < 0)
        return lists;
    for (int k = 0; k < ViewFrameCount; ++k)
        lists[k] = pools[viewPool(tab, k)];
    if (tab == 1) {
        for (const QString &never : pools[3])
            lists[0].removeOne(never);
    }
    return lists;
}

} // namespace corvanta
