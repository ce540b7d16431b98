#include "DependencyOrder.h"

#include <algorithm>
#include <numeric>
#include <queue>

TDependencyOrder dependencyOrder(const QVector<QSet<int>>& prerequisites,
                                 const std::function<bool(int, int)>& earlier)
{
    const int count = static_cast<int>(prerequisites.size());
    QVector<int> waitingFor(count, 0);  // prerequisites not placed yet
    QVector<QVector<int>> dependents(count);
    for (int n = 0; n < count; ++n) {
        waitingFor[n] = static_cast<int>(prerequisites[n].size());
        for (int prerequisite : prerequisites[n])
            dependents[prerequisite] << n;
    }
    // The queue's top is the earliest ready object.
    const auto later = [&earlier](int a, int b) { return earlier(b, a); };
    std::priority_queue<int, std::vector<int>, decltype(later)> ready(later);
    for (int n = 0; n < count; ++n) {
        if (waitingFor[n] == 0)
            ready.push(n);
    }
    // Every object in the caller's order, for breaking cycles: the first one not placed.
    std::vector<int> byEarliness(static_cast<size_t>(count));
    std::iota(byEarliness.begin(), byEarliness.end(), 0);
    std::sort(byEarliness.begin(), byEarliness.end(), earlier);
    size_t firstLeft = 0;

    TDependencyOrder result;
    QVector<bool> placed(count, false);
    while (result.Order.size() < count) {
        int next = -1;
        while (!ready.empty() && next < 0) {
            // An object placed to break a cycle may become ready later: it is passed over.
            if (!placed[ready.top()])
                next = ready.top();
            ready.pop();
        }
        if (next < 0) {
            while (placed[byEarliness[firstLeft]])
                ++firstLeft;
            next = byEarliness[firstLeft];
            result.CycleBreaks << next;
        }
        placed[next] = true;
        result.Order << next;
        for (int dependent : dependents[next]) {
            if (--waitingFor[dependent] == 0 && !placed[dependent])
                ready.push(dependent);
        }
    }
    return result;
}
