#include "book/lookup.h"

#include <cstdlib>
#include <cstring>

#include "board/rules.h"

namespace {

struct BookLookupState {
  Board targets[4];
  Board replay;
  int random_choice;
  int engine_colour;
};

BookLookupState Lookup;

void BuildTargetImages(const Board& board) {
  for (Board& image : Lookup.targets) {
    for (int i = kFirstSquare; i <= kLastSquare; ++i) image.cell[i] = kWall;
  }
  for (int x = 1; x <= 8; ++x) {
    for (int y = 1; y <= 8; ++y) {
      const int s = SquareIndex(x, y);
      for (int k = 0; k < 4; ++k) Lookup.targets[k].cell[OrientSquare(k + 1, s)] = board.cell[s];
    }
  }
  SetStartPosition(Lookup.replay);
}

bool MatchesTarget(const Board& image) {
  return std::memcmp(Lookup.replay.cell + kFirstSquare, image.cell + kFirstSquare,
                     kLastSquare - kFirstSquare + 1) == 0;
}

const BookNode* PickAlternative(const BookNode* list) {
  if (Lookup.random_choice != 0) {
    int n = 0;
    for (const BookNode* node = list; node != nullptr; node = node->next) ++n;
    int r = std::rand() % n;
    const BookNode* pick = list;
    while (r-- > 0) pick = pick->next;
    return pick;
  }
  const BookNode* pick = list;
  int most = CountBookLines(list);
  for (const BookNode* node = list->next; node != nullptr; node = node->next) {
    const int lines = CountBookLines(node);
    if (lines > most) {
      most = lines;
      pick = node;
    }
  }
  return pick;
}

// Answers the square found, or 0 when this subtree holds no match.
int WalkBook(const BookNode* list, int colour) {
  if (colour == Lookup.engine_colour) {
    const int s = PickAlternative(list)->move;
    for (int k = 0; k < 4; ++k) {
      if (MatchesTarget(Lookup.targets[k])) return OrientSquare(k + 1, s);
    }
  }
  for (const BookNode* node = list; node != nullptr; node = node->next) {
    if (node->child == nullptr) continue;
    const Board saved = Lookup.replay;
    PlayMove(Lookup.replay, Lookup.replay, node->move, colour);
    const int found = WalkBook(node->child, -colour);
    Lookup.replay = saved;
    if (found != 0) return found;
  }
  return 0;
}

}  // namespace

int OrientSquare(int image, int s) {
  const int x = SquareColumn(s);
  const int y = SquareRow(s);
  switch (image) {
    case 2: return 9 * x + y;
    case 3: return 90 - s;
    case 4: return 90 - 9 * x - y;
    default: return s;
  }
}

int LookupBookMove(const Board& board, int randomChoice, int engineColour) {
  Lookup.random_choice = randomChoice;
  Lookup.engine_colour = ColourByte(engineColour);
  BuildTargetImages(board);
  if (Book.root == nullptr) return 0;
  return WalkBook(Book.root, 1);
}
