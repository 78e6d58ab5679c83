// The opening book: lines of moves from the start position read from a text
// file into one shared tree of BookNodes, with a reference-counted lifetime.
// Colours here are host colours: black (1) moves first.
#pragma once

#include <cstdint>
#include <cstdio>

struct BookNode {
  int8_t move;      // square index of the move, 10..80
  BookNode* next;   // the next alternative for the same side in the same position
  BookNode* child;  // the first move that follows this one in some line
};

struct OpeningBook {
  BookNode* root;      // f5, head of the list of first moves; null while no book exists
  int32_t references;  // LumInit calls not yet matched by a LumFinish
};

extern OpeningBook Book;

// Takes a reference, creating the root f5 on the first one. Answers 0 when
// the root could not be allocated (the reference is not taken then).
int AcquireBook();
// Drops a reference and frees the tree with the last one. Answers the count
// left; 0 when the book is gone or no reference was held.
int ReleaseBook();

// Reads a book file into the tree. lineNumber (may be null) receives 0, then
// the number of lines read. Answers 1 when the file was read to its end, 0
// when the path is empty or cannot be opened or read (line number 0; lines
// read before a read error stay in the tree) or a line was rejected (line
// number of that line; a line past the 2147483647th is rejected as that one).
int LoadBookFile(const char* path, int32_t* lineNumber);

// The steps of reading one line, exposed for the book checker and tests.
// ReadBookLinePiece reads one line, or a piece of a long one, as a text-mode
// stream would: CR LF arrives as LF, at most size - 1 characters are taken,
// reading stops after an LF, and Ctrl-Z ends the file (ended is then set).
// Answers false at the end of the file when nothing was read.
constexpr int kBookLinePieceSize = 512;
bool ReadBookLinePiece(FILE* file, char* buffer, int size, bool& ended);
void RemoveBlanks(char* line);
int ParseBookLine(const char* line);
int ValidateBookLine(const int* squares, int count);
int InsertBookLine(const int* squares, int count);
BookNode* FindAlternative(BookNode* list, int square);
int AppendAlternative(BookNode* list, int square);
// Frees node and everything reachable from it, without recursion.
void FreeBookNodes(BookNode* node);
// The number of line ends below node (node counts 1 when it has no child).
int CountBookLines(const BookNode* node);
// Number of nodes in the tree (0 without a book).
long CountBookNodes();

// The message texts of the loader.
extern const char kBookMessageTitle[];
extern const char kBookMissingMessage[];
extern const char kBookBadLineFormat[];  // the line number
// Shows the loader's message for a failed load with this line number.
void ReportBookFailure(void* owner, int32_t lineNumber);
