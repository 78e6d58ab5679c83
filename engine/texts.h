// The think driver's fixed texts, code page 932 bytes like every text the
// engine shows or returns.
#pragma once

extern const char kDisplayName[];
extern const char kSingleSquareMessage[];
extern const char kBookMoveMessage[];
extern const char kBookProgressText[];
extern const char kExactStartFormat[];    // square letter, row
extern const char kWldStartFormat[];      // square letter, row
extern const char kMidgameStartFormat[];  // square letter, row, depth
extern const char kSearchingFormat[];     // square letter, row, best, its letter and row
extern const char kNoMoveMessage[];
extern const char kBadPositionMessage[];
