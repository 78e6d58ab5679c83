// The position string and the reply string.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/position.h"

namespace {
const std::string kStart = "*|---------------------------0*------*0---------------------------";
}

TEST(ParsePosition, ReadsSideAndSquaresInHostColours) {
  Board board;
  int side = 0;
  ASSERT_EQ(ParsePosition(kStart.c_str(), &side, &board), 1);
  EXPECT_EQ(side, 1);
  Board start;
  SetStartPosition(start);
  EXPECT_EQ(std::memcmp(board.cell, start.cell, sizeof board.cell), 0);

  std::string white = kStart;
  white[0] = '0';
  white[2] = 'x';   // any other character is an empty square
  white[9] = '*';   // h1
  white[58] = '0';  // a8
  white += "trailing text changes nothing";
  ASSERT_EQ(ParsePosition(white.c_str(), &side, &board), 1);
  EXPECT_EQ(side, -1);
  EXPECT_EQ(board.cell[10], 0);
  EXPECT_EQ(board.cell[17], 1);
  EXPECT_EQ(board.cell[73], -1);
}

TEST(ParsePosition, RefusesMalformedStringsWithoutWriting) {
  std::string no_bar = kStart;
  no_bar[1] = '/';
  std::string bad_side = kStart;
  bad_side[0] = 'O';
  const std::string cases[] = {"", kStart.substr(0, 65), no_bar, bad_side, std::string(66, '*')};
  for (const std::string& text : cases) {
    Board board;
    std::memset(board.cell, 0x55, sizeof board.cell);
    int side = 42;
    EXPECT_EQ(ParsePosition(text.c_str(), &side, &board), 0) << text;
    EXPECT_EQ(side, 42);
    for (int8_t cell : board.cell) ASSERT_EQ(cell, 0x55);
  }
  // A NUL inside the 66 characters makes the string too short.
  char embedded[80];
  std::memcpy(embedded, kStart.c_str(), kStart.size() + 1);
  embedded[40] = '\0';
  Board board;
  int side = 0;
  EXPECT_EQ(ParsePosition(embedded, &side, &board), 0);
  EXPECT_EQ(ParsePosition(nullptr, &side, &board), 0);
  EXPECT_EQ(ParsePosition(kStart.c_str(), nullptr, &board), 0);
  EXPECT_EQ(ParsePosition(kStart.c_str(), &side, nullptr), 0);
}

TEST(FormatReply, WritesSquareMessageAndSinglePrecisionEvaluation) {
  struct Case {
    int x, y, score;
    const char* expected;
  };
  const Case cases[] = {
      {6, 5, 0, "F5|m|0.000000"},        {1, 1, 1200, "A1|m|12.000000"},   {8, 8, 9999, "H8|m|99.989998"},
      {3, 4, -9999, "C4|m|-99.989998"},  {4, 3, 37, "D3|m|0.370000"},      {5, 6, -6400, "E6|m|-64.000000"},
      {2, 7, 1000000, "B7|m|9999.000000"}, {2, 7, -2000000, "B7|m|-9999.000000"}, {7, 2, 999900, "G2|m|9999.000000"},
      {7, 2, 639936, "G2|m|6399.359863"},
  };
  for (const Case& c : cases) EXPECT_STREQ(FormatReply(c.x, c.y, "m", c.score), c.expected) << c.score;
}

TEST(FormatReply, NoMoveReplyNamesNoSquare) {
  EXPECT_STREQ(FormatNoMoveReply("x"), "PA|x|0.000000");
}

TEST(FormatPosition, RoundTripsThroughParse) {
  Board board;
  int side = 0;
  ASSERT_EQ(ParsePosition(kStart.c_str(), &side, &board), 1);
  char text[kPositionLength + 1];
  FormatPosition(board, side, text);
  EXPECT_EQ(kStart, text);
}
