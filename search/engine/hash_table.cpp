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

}  // namespace

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
