// The order in which objects that refer to each other are created: each after the
// objects it refers to, ties broken by an order of the caller's, cycles broken by taking
// the first object in that order that is left.
#pragma once

#include <QSet>
#include <QVector>

#include <functional>

struct TDependencyOrder {
    QVector<int> Order;        // positions of the objects, in creation order
    QVector<int> CycleBreaks;  // the objects placed while their prerequisites were not
};

// `prerequisites[n]`: the positions of the objects object n refers to (itself excluded).
// `earlier(a, b)`: whether a goes before b when either could come next; a strict order.
// Of the objects whose prerequisites are all placed, the earliest comes next; when none
// is, the earliest of those left. A priority queue keeps this at n log n plus the
// number of references.
TDependencyOrder dependencyOrder(const QVector<QSet<int>>& prerequisites,
                                 const std::function<bool(int, int)>& earlier);
