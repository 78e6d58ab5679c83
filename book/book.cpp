#include "book/book.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/board.h"
#include "board/rules.h"
#include "core/platform.h"

OpeningBook Book = {nullptr, 0};

const char kBookMessageTitle[] = "てぬ - 定石読み込み";
const char kBookMissingMessage[] = "定石ファイルが見つかりません\nファイル名を確認して下さい";
const char kBookBadLineFormat[] = "不正な定石です\n\nError Line: %d";

namespace {

constexpr int kRootMove = 51;  // f5
constexpr int kMaxLineMoves = 64;

BookNode* NewNode(int square) {
  auto node = static_cast<BookNode*>(std::malloc(sizeof(BookNode)));
  if (node == nullptr) return nullptr;
  node->move = static_cast<int8_t>(square);
  node->next = nullptr;
  node->child = nullptr;
  return node;
}

}  // namespace

bool ReadBookLinePiece(FILE* file, char* buffer, int size, bool& ended) {
  int length = 0;
  while (!ended && length < size - 1) {
    int c = std::getc(file);
    if (c == EOF || c == 0x1A) {
      ended = true;
      break;
    }
    if (c == '\r') {
      const int following = std::getc(file);
      if (following == '\n') {
        c = '\n';
      } else if (following != EOF) {
        std::ungetc(following, file);
      }
    }
    buffer[length++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  buffer[length] = '\0';
  return length > 0;
}

int AcquireBook() {
  if (Book.references == 0) {
    Book.root = NewNode(kRootMove);
    if (Book.root == nullptr) return 0;
  }
  ++Book.references;
  return 1;
}

int ReleaseBook() {
  // A finish without a matching init holds no reference and changes nothing,
  // so the count never goes below zero and never frees a tree still in use.
  if (Book.references <= 0) return 0;
  --Book.references;
  if (Book.references != 0) return Book.references;
  FreeBookNodes(Book.root);
  Book.root = nullptr;
  return 0;
}

void FreeBookNodes(BookNode* node) {
  // Rotating each child up into the next chain visits every node once with
  // no stack, however deep or wide the tree is.
  while (node != nullptr) {
    if (node->child == nullptr) {
      BookNode* following = node->next;
      std::free(node);
      node = following;
    } else {
      BookNode* first = node->child;
      node->child = first->next;
      first->next = node;
      node = first;
    }
  }
}

void RemoveBlanks(char* line) {
  char* out = line;
  for (const char* in = line; *in != '\0'; ++in) {
    if (*in != ' ' && *in != '\t') *out++ = *in;
  }
  *out = '\0';
}

int ParseBookLine(const char* line) {
  const size_t length = std::strlen(line);
  const size_t moves = (length + 1) / 2;
  // A game has at most 60 moves; a longer line can never be valid.
  if (moves > static_cast<size_t>(kMaxLineMoves)) return 0;
  int squares[kMaxLineMoves];
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : static_cast<int>(c); };
  for (size_t k = 0; k < moves; ++k) {
    const int first = lower(line[2 * k]);
    const int second = lower(line[2 * k + 1]);  // the terminator when the length is odd
    squares[k] = (first - 96) + 9 * (second - 48);
  }
  return InsertBookLine(squares, static_cast<int>(moves));
}

int ValidateBookLine(const int* squares, int count) {
  Board board;
  SetStartPosition(board);
  int colour = 1;
  for (int k = 0; k < count; ++k) {
    const int s = squares[k];
    const int x = s % 9;
    const int y = s / 9;
    if (x < 1 || x > 8 || y < 1 || y > 8) return 0;
    if (!PlayMove(board, board, s, colour)) return 0;
    colour = -colour;
  }
  return 1;
}

BookNode* FindAlternative(BookNode* list, int square) {
  for (BookNode* node = list; node != nullptr; node = node->next) {
    if (node->move == square) return node;
  }
  return nullptr;
}

int AppendAlternative(BookNode* list, int square) {
  if (list == nullptr) return 0;
  BookNode* last = list;
  for (;;) {
    if (last->move == square) return 0;
    if (last->next == nullptr) break;
    last = last->next;
  }
  BookNode* node = NewNode(square);
  if (node == nullptr) return 0;
  last->next = node;
  return 1;
}

int InsertBookLine(const int* squares, int count) {
  if (!ValidateBookLine(squares, count)) return 0;
  if (Book.root == nullptr) return 0;
  BookNode* list = Book.root;
  BookNode* parent = nullptr;
  for (int k = 0; k < count; ++k) {
    const int s = squares[k];
    BookNode* current = FindAlternative(list, s);
    if (current == nullptr) {
      if (list != nullptr) {
        if (!AppendAlternative(list, s)) return 0;
        current = list;
        while (current->next != nullptr) current = current->next;
      } else {
        current = NewNode(s);
        if (current == nullptr) return 0;
        parent->child = current;
      }
    }
    list = current->child;
    parent = current;
  }
  return 1;
}

int CountBookLines(const BookNode* node) {
  if (node == nullptr) return 0;
  if (node->child == nullptr) return 1;
  int total = 0;
  for (const BookNode* reply = node->child; reply != nullptr; reply = reply->next) {
    total += CountBookLines(reply);
  }
  return total;
}

namespace {

// Recursion follows child links only: validated lines are at most 60 moves,
// so the depth is bounded whatever the width of the tree.
long CountListNodes(const BookNode* list) {
  long count = 0;
  for (const BookNode* node = list; node != nullptr; node = node->next) count += 1 + CountListNodes(node->child);
  return count;
}

}  // namespace

long CountBookNodes() { return CountListNodes(Book.root); }

int LoadBookFile(const char* path, int32_t* lineNumber) {
  int32_t scratch_line = 0;
  int32_t& line_number = lineNumber != nullptr ? *lineNumber : scratch_line;
  line_number = 0;
  if (path == nullptr || path[0] == '\0') return 0;
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return 0;
  char line[kBookLinePieceSize];
  bool ended = false;
  while (ReadBookLinePiece(file, line, kBookLinePieceSize, ended)) {
    // The line number is a 32-bit count (2 GB of empty lines reach its
    // end): a line it cannot number is rejected as the last one it can.
    if (line_number == INT32_MAX) {
      std::fclose(file);
      return 0;
    }
    ++line_number;
    if (char* comment = std::strchr(line, ';'); comment != nullptr) *comment = '\0';
    const size_t length = std::strlen(line);
    if (length > 0 && line[length - 1] == '\n') line[length - 1] = '\0';
    RemoveBlanks(line);
    if (line[0] == '\0') continue;
    if (!ParseBookLine(line)) {
      std::fclose(file);
      return 0;
    }
  }
  // A read error is no end of the file: a folder opens as a file on some
  // systems and then fails at the first read. It counts as a file that
  // cannot be read, like one that cannot be opened.
  const bool unreadable = std::ferror(file) != 0;
  std::fclose(file);
  if (unreadable) {
    line_number = 0;
    return 0;
  }
  return 1;
}

void ReportBookFailure(void* owner, int32_t lineNumber) {
  char text[256];
  if (lineNumber == 0) {
    std::snprintf(text, sizeof text, "%s", kBookMissingMessage);
  } else {
    std::snprintf(text, sizeof text, kBookBadLineFormat, lineNumber);
  }
  ShowErrorMessage(owner, kBookMessageTitle, text);
}
