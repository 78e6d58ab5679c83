// The transposition table of the engine searches: what earlier searches
// learnt about a position (bounds on its value and its best move), kept
// under the whole position so that a lookup never confuses two positions.
//
// The table is allocated once, at the first search or when its size is
// set, and never during a search. When the allocation fails the searches
// use a small table that is part of the program image: the same values,
// found with more work.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "search/search.h"

namespace engine {

// What a depth field holds besides a midgame depth: the position was solved
// to the end of the game, a disc difference with the empty squares left
// counting for nobody, or given to the winner.
constexpr uint8_t kSolvedDepth = 255;
constexpr uint8_t kSolvedToWinnerDepth = 254;
// The midgame search stores depths below kOrderingDepthBase; the searches
// that only order moves store kOrderingDepthBase plus their depth, so the
// two kinds of value never meet.
constexpr int kOrderingDepthBase = 128;
constexpr int kDeepestStoredOrderingDepth = 120;
constexpr uint8_t kNoMove = 64;

struct HashEntry {
  uint64_t me = 0;   // the mover's discs
  uint64_t opp = 0;  // the other side's discs
  int16_t lower = 0;  // the value is at least lower ...
  int16_t upper = 0;  // ... and at most upper, from the mover's view
  uint8_t depth = 0;  // plies searched, or kSolvedDepth
  uint8_t move = kNoMove;  // the best move found, a bit index
  uint8_t work = 0;   // what the result cost: plies or empty squares
  uint8_t age = 0;    // the search that last wrote the entry; 0 while unused
};

static_assert(sizeof(HashEntry) == 24, "entries are packed in 24 bytes");

// The entries a position may be kept in: two, in one cache line, so that a
// lookup reads one line and nothing else (on FFO #40-#44 two entries to a
// line took 14% less time than four in one and a half lines, and 11% less
// than five in two).
constexpr int kBucketEntries = 2;
struct alignas(64) HashBucket {
  HashEntry entry[kBucketEntries];
};
static_assert(std::is_trivially_copyable_v<HashEntry>, "a zeroed block of memory is a table of unused entries");

// The bounds and best move of one position at one depth.
struct HashProbe {
  bool found = false;
  int lower = 0;
  int upper = 0;
  int move = kNoMove;
};

class HashTable {
 public:
  // Bounds and move stored for (me, opp) at exactly this depth, and, when
  // nothing is stored at that depth, the move stored at the deepest other
  // one (found stays false then).
  HashProbe Probe(uint64_t me, uint64_t opp, uint8_t depth) const { return Probe(BucketOf(me, opp), me, opp, depth); }
  // Starts reading the line that (me, opp) is kept in, for a probe soon
  // after: a search that knows its children asks for their lines while it
  // still sorts them, so that their probes do not wait on memory.
  void Prefetch(uint64_t me, uint64_t opp) const { Prefetch(BucketOf(me, opp)); }

  // The bucket that (me, opp) is kept in, and the lookups above given it: a
  // search works it out once for a position it both looks up and stores,
  // or prefetches and looks up (the hash costs a few 64-bit
  // multiplications, three 32-bit ones each where the registers hold 32
  // bits).
  //
  // These four run at nearly every node, and are defined below so that a
  // node pays no call for them: where the registers hold 32 bits, a call
  // passes each 64-bit argument in two pushes, and inlining them took
  // about 5% off a win/loss/draw think in a 32-bit build (the 64-bit one
  // the same). always_inline also keeps the two
  // instruction-set builds of the searches from sharing one out-of-line
  // copy.
  [[gnu::always_inline]] size_t BucketOf(uint64_t me, uint64_t opp) const;
  [[gnu::always_inline]] HashProbe Probe(size_t bucket, uint64_t me, uint64_t opp, uint8_t depth) const;
  // Records bounds and best move for (me, opp), kept in `bucket`, at depth.
  // `work` says how much the result cost (plies or empty squares); an entry
  // of a search still running is replaced last, then the cheaper one.
  [[gnu::always_inline]] void Store(size_t bucket, uint64_t me, uint64_t opp, uint8_t depth, int lower, int upper,
                                    int move, int work);
  [[gnu::always_inline]] void Prefetch(size_t bucket) const;

  // Starts a new search: allocates the table when that has not been done,
  // and makes the entries of earlier searches the first to be replaced.
  void NextSearch();
  // Allocates the table when that has not been done, keeping the age.
  void Open();
  // Forgets everything (a search that must be reproducible node for node
  // starts from an empty table).
  void Clear();

  // Allocates `bytes` worth of entries (at least one bucket); false when
  // that fails, in which case the small built-in table is used.
  bool Resize(size_t bytes);
  size_t SizeInBytes() const;
  bool UsesBuiltInTable() const;

 private:
  void EnsureAllocated();

  HashBucket* buckets_table_ = nullptr;
  void* allocation_ = nullptr;  // what the buckets were carved from, to free
  size_t buckets_ = 0;
  size_t requested_bytes_ = 0;
  uint8_t age_ = 1;
  bool allocated_ = false;
};

// The hash of a position: a bucket index in its high half.
namespace hash_detail {
[[gnu::always_inline]] inline uint64_t Mix(uint64_t me, uint64_t opp) {
  uint64_t h = me * 0x9e3779b97f4a7c15u ^ (opp + 0x632be59bd9b4e019u) * 0xc2b2ae3d27d4eb4fu;
  h ^= h >> 29;
  h *= 0xbf58476d1ce4e5b9u;
  return h ^ (h >> 32);
}
}  // namespace hash_detail

inline size_t HashTable::BucketOf(uint64_t me, uint64_t opp) const {
  // The high half of the hash scaled to the bucket count: any count works.
  return static_cast<size_t>(((hash_detail::Mix(me, opp) >> 32) * static_cast<uint64_t>(buckets_)) >> 32);
}

inline HashProbe HashTable::Probe(size_t bucket_index, uint64_t me, uint64_t opp, uint8_t depth) const {
  HashProbe probe;
  if (buckets_ == 0) return probe;
  const HashBucket& bucket = buckets_table_[bucket_index];
  int best_depth = -1;
  for (int k = 0; k < kBucketEntries; ++k) {
    const HashEntry& entry = bucket.entry[k];
    if (entry.age == 0 || entry.me != me || entry.opp != opp) continue;
    if (entry.depth == depth) {
      probe.found = true;
      probe.lower = entry.lower;
      probe.upper = entry.upper;
      probe.move = entry.move;
      return probe;
    }
    // Another depth's best move is still a good first guess.
    if (entry.move != kNoMove && entry.depth > best_depth) {
      best_depth = entry.depth;
      probe.move = entry.move;
    }
  }
  return probe;
}

inline void HashTable::Prefetch(size_t bucket_index) const {
  if (buckets_ != 0) __builtin_prefetch(&buckets_table_[bucket_index]);
}

inline void HashTable::Store(size_t bucket_index, uint64_t me, uint64_t opp, uint8_t depth, int lower, int upper,
                             int move, int work) {
  if (buckets_ == 0) return;
  HashBucket& bucket = buckets_table_[bucket_index];
  HashEntry* victim = nullptr;
  int victim_keep = 0;
  for (int k = 0; k < kBucketEntries; ++k) {
    HashEntry& entry = bucket.entry[k];
    if (entry.age != 0 && entry.me == me && entry.opp == opp && entry.depth == depth) {
      // Both are true bounds on the same value: keep what each says.
      if (entry.lower > lower && entry.lower <= upper) lower = entry.lower;
      if (entry.upper < upper && entry.upper >= lower) upper = entry.upper;
      if (move == kNoMove) move = entry.move;
      victim = &entry;
      break;
    }
    // How much an entry is worth keeping: unused ones nothing, those of the
    // running search more than those of earlier ones, costlier ones more.
    const int keep = entry.age == 0 ? -1 : (entry.age == age_ ? 256 : 0) + entry.work;
    if (victim == nullptr || keep < victim_keep) {
      victim = &entry;
      victim_keep = keep;
    }
  }
  victim->me = me;
  victim->opp = opp;
  victim->lower = static_cast<int16_t>(lower);
  victim->upper = static_cast<int16_t>(upper);
  victim->depth = depth;
  victim->move = static_cast<uint8_t>(move);
  victim->work = static_cast<uint8_t>(work < 0 ? 0 : work > 255 ? 255 : work);
  victim->age = age_;
}

// The one table the engine searches share.
HashTable& SharedTable();

}  // namespace engine
