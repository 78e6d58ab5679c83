#include "search/engine/hash_table.h"

#include <cstdlib>
#include <cstdint>
#include <cstring>

namespace engine {

namespace {

// The table used when the allocation fails: small, but enough to keep the
// deep searches' move ordering working.
constexpr size_t kBuiltInBuckets = 1536;
HashBucket BuiltInBuckets[kBuiltInBuckets];

uint64_t Mix(uint64_t me, uint64_t opp) {
  uint64_t h = me * 0x9e3779b97f4a7c15u ^ (opp + 0x632be59bd9b4e019u) * 0xc2b2ae3d27d4eb4fu;
  h ^= h >> 29;
  h *= 0xbf58476d1ce4e5b9u;
  return h ^ (h >> 32);
}

}  // namespace

size_t HashTable::BucketOf(uint64_t me, uint64_t opp) const {
  // The high half of the hash scaled to the bucket count: any count works.
  return static_cast<size_t>(((Mix(me, opp) >> 32) * static_cast<uint64_t>(buckets_)) >> 32);
}

HashProbe HashTable::Probe(size_t bucket_index, uint64_t me, uint64_t opp, uint8_t depth) const {
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

void HashTable::Prefetch(size_t bucket_index) const {
  if (buckets_ != 0) __builtin_prefetch(&buckets_table_[bucket_index]);
}

void HashTable::Store(size_t bucket_index, uint64_t me, uint64_t opp, uint8_t depth, int lower, int upper, int move,
                      int work) {
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

void HashTable::EnsureAllocated() {
  if (allocated_) return;
  allocated_ = true;
  size_t bytes = requested_bytes_ != 0 ? requested_bytes_ : kDefaultSearchTableBytes;
  size_t buckets = bytes / sizeof(HashBucket);
  if (buckets < 1) buckets = 1;
  // More than half the address space is never there to be had; asking for
  // it would only trouble the allocator.
  const size_t most_buckets = (~size_t{0} / 2) / sizeof(HashBucket) - 1;
  // Zeroed memory is an empty table (an entry of age 0 is unused), and the
  // system hands it out without touching it until a search does. One bucket
  // more than asked lets the buckets start on a cache line.
  allocation_ = buckets > most_buckets ? nullptr : std::calloc(buckets + 1, sizeof(HashBucket));
  if (allocation_ == nullptr) {
    buckets_table_ = BuiltInBuckets;
    buckets = kBuiltInBuckets;
  } else {
    const uintptr_t address = reinterpret_cast<uintptr_t>(allocation_);
    const uintptr_t aligned = (address + alignof(HashBucket) - 1) & ~uintptr_t{alignof(HashBucket) - 1};
    buckets_table_ = reinterpret_cast<HashBucket*>(aligned);
  }
  buckets_ = buckets;
}

void HashTable::NextSearch() {
  EnsureAllocated();
  age_ = static_cast<uint8_t>(age_ == 255 ? 1 : age_ + 1);  // 0 marks an unused entry
}

void HashTable::Clear() {
  EnsureAllocated();
  std::memset(static_cast<void*>(buckets_table_), 0, buckets_ * sizeof(HashBucket));
  age_ = 1;
}

bool HashTable::Resize(size_t bytes) {
  std::free(allocation_);
  allocation_ = nullptr;
  buckets_table_ = nullptr;
  buckets_ = 0;
  allocated_ = false;
  requested_bytes_ = bytes;
  EnsureAllocated();
  return !UsesBuiltInTable();
}

void HashTable::Open() { EnsureAllocated(); }

size_t HashTable::SizeInBytes() const { return buckets_ * sizeof(HashBucket); }

bool HashTable::UsesBuiltInTable() const { return buckets_table_ == BuiltInBuckets; }

HashTable& SharedTable() {
  static HashTable table;
  return table;
}

}  // namespace engine
