// The forms in which tenu takes a position besides the host's position
// string: a game record (the moves from the start position) and a line of
// an endgame suite (the 64 squares, a space, the side to move, then remarks).
#pragma once

#include <string>
#include <vector>

#include "board/board.h"

// One move of a game: its square, or 0 for a pass, and who made it.
struct GameMove {
  int square = 0;
  int colour = 1;
};

// A game played out from a start position: the moves (passes included,
// whether written or not) and the position after the last one.
struct PlayedGame {
  Board start;
  int start_side = 1;
  std::vector<GameMove> moves;
  Board board;
  int side = 1;
};

// True when the text is meant as a game record: it starts with a move
// (a1..h8 in either case) and is no position string or suite line. Its
// moves (`pa` or `--` for a pass, blanks anywhere) are checked as it is
// played.
bool LooksLikeGameRecord(const std::string& text);

// Plays the record's moves from game.board and game.side (the start position
// unless the caller set another) and appends them to game.moves. A move the
// side to move cannot make while it has no move at all is the other side's,
// after a pass. On an illegal move answers false with a message naming the
// move's number in the record, the move and why, and leaves game as it was.
bool PlayGameRecord(const std::string& text, PlayedGame& game, std::string& error);

// A game from the start position.
PlayedGame StartedGame();

// The moves of a game in the record form "f5 d6 c3"; passes are left out
// (a record reads them from the position) unless `with_passes` asks for
// them, written "pa".
std::string GameRecordText(const std::vector<GameMove>& moves, bool with_passes = false);

// A game as a record file: a line of moves for a game from the start
// position; for a game from another position, that position as a suite line
// first. ReadRecordFile reads such a file (lines starting with '#' are
// remarks); false with a message naming the file when it cannot be read.
std::string RecordFileText(const PlayedGame& game);
// True when the game starts from the start position, black to move.
bool StartsFromStartPosition(const PlayedGame& game);
bool ReadRecordFile(const std::string& path, PlayedGame& game, std::string& error);

// A game that starts from the position a text gives in any of the forms
// below (for a game record, from the start with its moves played).
bool GameFromText(const std::string& text, PlayedGame& game, std::string& error);

// A position as a suite line: 64 squares as X, O and -, a space, X or O.
std::string SuiteLineText(const Board& board, int side);

// A line of an endgame suite: 64 squares a1..h8 (`X` or `*` black, `O`
// white, `-` empty; either case), blanks, the side to move (`X` or `O`),
// then, optionally, remarks. The first "square:score" in the remarks (e.g.
// `G8:+18`) is the line's annotated best move and score.
struct SuiteLine {
  Board board;
  int side = 1;
  bool annotated = false;
  int annotated_square = 0;
  int annotated_score = 0;
  std::string remarks;  // everything after the side, trimmed
};

bool LooksLikeSuiteLine(const std::string& text);
bool ParseSuiteLine(const std::string& text, SuiteLine& line, std::string& error);

// A text that starts as a host position string ("*|" or "0|") is one only
// with exactly 64 squares of '*', '0' and '-' behind the '|' (blanks may
// end it): the engine reads any other character as an empty square and
// ignores what follows the 64th, which would answer for a position the
// user did not mean. Why the text is not one, or empty.
bool LooksLikePositionString(const std::string& text);
std::string PositionStringProblem(const std::string& text);

// Where several arguments that are one move each were read as several
// games or positions, the record was most likely not quoted: a hint that
// says so, to append to the message (empty otherwise).
std::string UnquotedRecordHint(const std::vector<std::string>& operands);

// The host position string for a text in any of the forms: a host position
// string comes back as it is (when it passes the check above); a game record or suite line as the position it
// describes. False with a message when the text is a game record or suite
// line that cannot be read; a text of no known form comes back as it is (the
// engine then answers that it is not a position).
bool ToPositionString(const std::string& text, std::string& position, std::string& error);

// The Board and side to move of a text in any of the forms; false with a
// message when it describes none.
bool ReadAnyPosition(const std::string& text, Board& board, int& side, std::string& error);
