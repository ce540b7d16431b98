// The order check of a stored text's syscomments rows.
#include "TextPieces.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <tuple>

namespace {

using Row = std::tuple<int, int, int>;  // number, colid2, colid

bool gapIn(std::initializer_list<Row> rows)
{
    TTextPieces pieces;
    for (const auto& [number, colid2, colid] : rows)
        pieces.add(number, colid2, colid);
    return pieces.gap();
}

TEST(TextPieces, RowsInSequenceHaveNoGap)
{
    EXPECT_FALSE(gapIn({{0, 0, 1}, {0, 0, 2}, {0, 0, 3}}));
    // Past colid 32767 colid2 takes the count on, colid starting again at 0 or 1.
    for (const int restart : {0, 1}) {
        TTextPieces pieces;
        for (int colid = 1; colid <= 32767; ++colid)
            pieces.add(0, colid);
        pieces.add(1, restart);
        pieces.add(1, restart + 1);
        EXPECT_FALSE(pieces.gap()) << restart;
    }
    // Each member of a procedure group starts again.
    EXPECT_FALSE(gapIn({{1, 0, 1}, {1, 0, 2}, {2, 0, 1}, {4, 0, 1}}));
}

TEST(TextPieces, AMissingRowIsAGap)
{
    EXPECT_TRUE(gapIn({{0, 0, 1}, {0, 0, 3}}));
    EXPECT_TRUE(gapIn({{0, 0, 2}, {0, 0, 3}}));             // the first
    EXPECT_TRUE(gapIn({{1, 0, 1}, {2, 0, 2}}));             // a member's first
    EXPECT_TRUE(gapIn({{0, 0, 1}, {0, 2, 1}}));             // a whole colid2 step
    EXPECT_TRUE(gapIn({{0, 0, 1}, {0, 0, 3}, {0, 0, 4}}));  // stays a gap
}

}  // namespace
