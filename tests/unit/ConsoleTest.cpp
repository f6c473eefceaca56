#include "NoCrtLib/AnsiCodec.h"

#include <gtest/gtest.h>

TEST(AnsiCodec, RoundTripsEveryByteOfTheAnsiRange) {
    std::string all;
    for (int c = 1; c < 256; ++c) all.push_back(static_cast<char>(c));
    EXPECT_EQ(WideToAnsi(AnsiToWide(all)), all);
}
