// Any file contents through the book loader. A model of the reader, written
// from the file format alone (text-mode pieces of at most 511 characters,
// CR LF as LF, Ctrl-Z as the end, ';' comments, blanks dropped, two
// characters a move), says which lines are accepted, where the read stops and
// what tree the accepted lines make. Checked for every input: the result and
// the line number agree with the model; the tree is the model's tree, node
// for node and in the same order; every path is a legal line from the start
// position with no pass, at most 60 moves deep, with no move twice in one
// list; reading the file a second time adds nothing; and the tree is freed
// with the last reference (LeakSanitizer reports what is not).
#include <cstring>
#include <string>
#include <vector>

#include "book/book.h"
#include "fuzz/fuzz_support.h"

namespace {

struct ModelNode {
  int move;
  std::vector<ModelNode> children;  // in the order of first occurrence
};

struct ModelLoad {
  int result = 1;
  int line_number = 0;
  ModelNode top{0, {{51, {}}}};  // the top-level list starts with the root f5
};

void AddLine(ModelNode& top, const std::vector<int>& squares) {
  ModelNode* list = &top;
  for (int s : squares) {
    ModelNode* found = nullptr;
    for (ModelNode& node : list->children) {
      if (node.move == s) found = &node;
    }
    if (found == nullptr) {
      list->children.push_back({s, {}});
      found = &list->children.back();
    }
    list = found;
  }
}

// The squares of a stripped line, or false when the line is not a legal
// sequence from the start position.
bool ModelLine(const std::string& text, std::vector<int>& squares) {
  if (text.size() > 128) return false;  // more than 64 moves
  ModelBoard board = ModelStart();
  int colour = 1;
  for (size_t k = 0; k < text.size(); k += 2) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : static_cast<int>(c); };
    const int first = lower(text[k]);
    const int second = k + 1 < text.size() ? lower(text[k + 1]) : 0;
    // Only the resulting index counts, as the format says, not the characters.
    const int s = (first - 96) + 9 * (second - 48);
    const int x = s % 9;
    const int y = s / 9;
    if (x < 1 || x > 8 || y < 1 || y > 8 || !ModelPlay(board, x, y, colour)) return false;
    squares.push_back(s);
    colour = -colour;
  }
  return true;
}

ModelLoad Model(const uint8_t* data, size_t size) {
  ModelLoad load;
  size_t pos = 0;
  bool ended = false;
  for (;;) {
    std::string piece;
    while (!ended && piece.size() < 511) {
      if (pos >= size || data[pos] == 0x1A) {
        ended = true;
        break;
      }
      char c = static_cast<char>(data[pos++]);
      if (c == '\r' && pos < size && data[pos] == '\n') {
        c = '\n';
        ++pos;
      }
      piece.push_back(c);
      if (c == '\n') break;
    }
    if (piece.empty()) return load;
    ++load.line_number;
    std::string text = piece.substr(0, piece.find('\0'));
    text = text.substr(0, text.find(';'));
    if (!text.empty() && text.back() == '\n') text.pop_back();
    std::string stripped;
    for (char c : text) {
      if (c != ' ' && c != '\t') stripped.push_back(c);
    }
    if (stripped.empty()) continue;
    std::vector<int> squares;
    if (!ModelLine(stripped, squares)) {
      load.result = 0;
      return load;
    }
    AddLine(load.top, squares);
  }
}

long ModelCount(const ModelNode& list) {
  long count = 0;
  for (const ModelNode& node : list.children) count += 1 + ModelCount(node);
  return count;
}

// Compares one list of the tree with the model's and replays every move on
// board for colour.
void CheckList(const BookNode* list, const ModelNode& model, const ModelBoard& board, int colour, int depth) {
  if (list != nullptr) FUZZ_CHECK(depth <= 60, "a path deeper than 60 moves");
  size_t k = 0;
  for (const BookNode* node = list; node != nullptr; node = node->next, ++k) {
    FUZZ_CHECK(k < model.children.size(), "a node the file does not hold, move " + std::to_string(node->move));
    const ModelNode& expected = model.children[k];
    FUZZ_CHECK(node->move == expected.move, "move " + std::to_string(node->move) + " where the file has " +
                                                std::to_string(expected.move));
    for (const BookNode* other = list; other != node; other = other->next) {
      FUZZ_CHECK(other->move != node->move, "a move twice in one list");
    }
    ModelBoard after = board;
    FUZZ_CHECK(ModelPlay(after, node->move % 9, node->move / 9, colour),
               "an illegal book move " + std::to_string(node->move));
    CheckList(node->child, expected, after, -colour, depth + 1);
  }
  FUZZ_CHECK(k == model.children.size(), "a line of the file is missing from the tree");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = FuzzScratchPath("book.txt");
  WriteScratchFile(path, data, size);
  const ModelLoad model = Model(data, size);

  FUZZ_CHECK(Book.root == nullptr && Book.references == 0, "a book left over");
  FUZZ_CHECK(AcquireBook() == 1, "no root");
  for (int pass = 0; pass < 2; ++pass) {
    int32_t line_number = -7;
    const int result = LoadBookFile(path.c_str(), &line_number);
    FUZZ_CHECK(result == model.result && line_number == model.line_number,
               "load answered " + std::to_string(result) + " at line " + std::to_string(line_number) +
                   ", expected " + std::to_string(model.result) + " at line " + std::to_string(model.line_number));
    FUZZ_CHECK(Book.root != nullptr && Book.root->move == 51, "the root is not f5");
    CheckList(Book.root, model.top, ModelStart(), 1, 1);
    FUZZ_CHECK(CountBookNodes() == ModelCount(model.top), "node count");
  }
  FUZZ_CHECK(ReleaseBook() == 0 && Book.root == nullptr && Book.references == 0, "the book outlived its reference");
  return 0;
}
