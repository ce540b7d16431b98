// The creation order of objects that refer to each other, against the rule it keeps,
// written out the plain way: of the objects whose prerequisites are all placed the
// earliest comes next, and when none is, the earliest left.
#include "DependencyOrder.h"

#include <gtest/gtest.h>
#include <cstdint>
#include <random>
#include <vector>

namespace {

// The rule, step by step over all those left, as the generator once applied it:
// quadratic. Objects are ordered by `key` (distinct values).
TDependencyOrder plainOrder(const QVector<QSet<int>>& prerequisites,
                            const std::vector<int64_t>& key)
{
    const int count = static_cast<int>(prerequisites.size());
    std::vector<int> waitingFor(static_cast<size_t>(count));
    std::vector<std::vector<int>> dependents(static_cast<size_t>(count));
    for (int n = 0; n < count; ++n) {
        waitingFor[n] = static_cast<int>(prerequisites[n].size());
        for (int prerequisite : prerequisites[n])
            dependents[prerequisite].push_back(n);
    }
    TDependencyOrder result;
    std::vector<char> placed(static_cast<size_t>(count), 0);
    while (result.Order.size() < count) {
        int earliestReady = -1, earliestLeft = -1;
        for (int n = 0; n < count; ++n) {
            if (placed[n])
                continue;
            if (earliestLeft < 0 || key[n] < key[earliestLeft])
                earliestLeft = n;
            if (waitingFor[n] == 0 && (earliestReady < 0 || key[n] < key[earliestReady]))
                earliestReady = n;
        }
        const int next = earliestReady >= 0 ? earliestReady : earliestLeft;
        if (earliestReady < 0)
            result.CycleBreaks << next;
        placed[next] = 1;
        result.Order << next;
        for (int dependent : dependents[next])
            --waitingFor[dependent];
    }
    return result;
}

// `count` objects with shuffled creation ranks, each referring to up to three others
// (mostly older ones, some newer: cycles), and ties in the ranks.
struct Objects {
    QVector<QSet<int>> prerequisites;
    QVector<int> rank;
};

Objects randomObjects(int count, unsigned seed)
{
    std::mt19937 random(seed);
    Objects objects;
    objects.prerequisites.resize(count);
    objects.rank.resize(count);
    for (int n = 0; n < count; ++n) {
        objects.rank[n] = static_cast<int>(random() % static_cast<unsigned>(count / 2 + 1));
        const int references = static_cast<int>(random() % 4);
        for (int r = 0; r < references; ++r) {
            const int other = static_cast<int>(random() % static_cast<unsigned>(count));
            if (other != n)
                objects.prerequisites[n].insert(other);
        }
    }
    return objects;
}

TEST(DependencyOrder, TwentyThousandObjectsComeInTheOrderOfThePlainRule)
{
    const Objects objects = randomObjects(20000, 20261208);
    // Creation rank, then position: a strict order.
    const int count = static_cast<int>(objects.rank.size());
    std::vector<int64_t> key(static_cast<size_t>(count));
    for (int n = 0; n < count; ++n)
        key[n] = int64_t{objects.rank[n]} * count + n;
    const TDependencyOrder fast =
        dependencyOrder(objects.prerequisites, [&key](int a, int b) { return key[a] < key[b]; });
    const TDependencyOrder plain = plainOrder(objects.prerequisites, key);
    EXPECT_FALSE(plain.CycleBreaks.isEmpty());
    EXPECT_EQ(fast.Order, plain.Order);
    EXPECT_EQ(fast.CycleBreaks, plain.CycleBreaks);
}

TEST(DependencyOrder, PrerequisitesFirstThenTheCallersOrderAndCyclesBrokenAtTheEarliest)
{
    // 0 refers to 2, 2 to 1; 3 and 4 refer to each other.
    const QVector<QSet<int>> prerequisites{{2}, {}, {1}, {4}, {3}};
    const auto byPosition = [](int a, int b) { return a < b; };
    const TDependencyOrder order = dependencyOrder(prerequisites, byPosition);
    EXPECT_EQ(order.Order, (QVector<int>{1, 2, 0, 3, 4}));
    EXPECT_EQ(order.CycleBreaks, (QVector<int>{3}));
}

}  // namespace
