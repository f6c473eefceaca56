#include "platform/VersionTriple.h"

#include <gtest/gtest.h>

TEST(VersionTriple, ComparesFirstThenSecondThenThird) {
    struct Case { VersionTriple l, r; bool less, equal; };
    const Case cases[] = {
        {{1, 4, 0}, {1, 4, 10}, true, false},
        {{1, 4, 90}, {1, 4, 10}, false, false},
        {{1, 9, 0}, {2, 0, 0}, true, false},          // platform decides before the version
        {{4, 70, 99999}, {4, 71, 0}, true, false},     // minor decides before the build
        {{4, 71, 1712}, {4, 71, 1712}, false, true},
        {{0, 0, 0}, {0, 0, 1}, true, false},
        {{0xFFFFFFFFu, 0, 0}, {1, 0, 0}, false, false},  // unsigned: no wrap to negative
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.l.a << "." << c.l.b << "." << c.l.c << " vs "
                                        << c.r.a << "." << c.r.b << "." << c.r.c);
        EXPECT_EQ(c.l < c.r, c.less);
        EXPECT_EQ(c.l == c.r, c.equal);
        EXPECT_EQ(c.l != c.r, !c.equal);
        EXPECT_EQ(c.l >= c.r, !c.less);
        EXPECT_EQ(c.l > c.r, !c.less && !c.equal);
        EXPECT_EQ(c.l <= c.r, c.less || c.equal);
    }
}

TEST(VersionTriple, StartsAsZero) {
    EXPECT_EQ(VersionTriple(), VersionTriple(0, 0, 0));
}
