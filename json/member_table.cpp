#include "json/member_table.h"

#include <cstring>
#include <new>

MemberTable::MemberTable()
    : buckets(nullptr), capacity(kCapacity), entries(0), outOfMemory(false), newest(nullptr), cursor(nullptr) {}

MemberTable::~MemberTable() {
  ReleaseMembers();
  // Every entry is on the insertion list as well as in its chain. Freeing
  // them along the list spares a scan of the 999 heads of every object, which
  // for a manifest of 20,000 entries was a third of the time of a load.
  for (MemberEntry* entry = newest; entry;) {
    MemberEntry* older = entry->older;
    FreeEntry(entry);
    entry = older;
  }
  delete[] buckets;
}

int32_t MemberTable::BucketOf(const char* key, size_t length) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(key);
  if (length > 8) {
    bytes += length - 8;
    length = 8;
  }
  uint64_t number = 0;
  for (size_t i = 0; i < length; ++i) number |= static_cast<uint64_t>(bytes[i]) << (8 * i);
  // Read unsigned: a last byte of 0x80 or more still gives 0 to 998.
  return static_cast<int32_t>(number % static_cast<uint64_t>(kCapacity));
}

MemberEntry* MemberTable::FindEntry(const char* key, int32_t bucket) const {
  // Keys are unique in a table: the list finds the entry the chain would.
  MemberEntry* entry = buckets ? buckets[bucket] : newest;
  for (; entry; entry = buckets ? entry->next : entry->older) {
    if (std::strcmp(entry->key, key) == 0) return entry;
  }
  return nullptr;
}

bool MemberTable::MakeBuckets() {
  buckets = new (std::nothrow) MemberEntry*[kCapacity]();
  if (!buckets) {
    outOfMemory = true;
    return false;
  }
  for (MemberEntry* entry = newest; entry; entry = entry->older) {
    const int32_t bucket = BucketOf(entry->key, std::strlen(entry->key));
    entry->prev = nullptr;
    entry->next = buckets[bucket];
    if (entry->next) entry->next->prev = entry;
    buckets[bucket] = entry;
  }
  return true;
}

MemberEntry* MemberTable::NewEntry(const char* key, size_t length, int32_t bucket) {
  if (!buckets && entries >= kListedMembers && !MakeBuckets()) return nullptr;
  MemberEntry* entry = new (std::nothrow) MemberEntry{};
  if (!entry) return nullptr;
  entry->key = new (std::nothrow) char[length + 1];
  if (!entry->key) {
    delete entry;
    return nullptr;
  }
  std::memcpy(entry->key, key, length + 1);
  // New entries go to the head of their chain and become the newest.
  if (buckets) {
    entry->next = buckets[bucket];
    if (entry->next) entry->next->prev = entry;
    buckets[bucket] = entry;
  }
  entry->older = newest;
  if (newest) newest->newer = entry;
  newest = entry;
  ++entries;
  return entry;
}

MemberEntry* MemberTable::Lookup(const char* key) {
  if (outOfMemory || !key) return nullptr;
  const size_t length = std::strlen(key);
  if (length > kMaxKeyLength) return nullptr;
  const int32_t bucket = BucketOf(key, length);
  if (MemberEntry* entry = FindEntry(key, bucket)) return entry;
  return NewEntry(key, length, bucket);
}

MemberTable::AddResult MemberTable::Add(const char* key, cJson::Node* child) {
  if (outOfMemory) return AddResult::kOutOfMemory;
  if (!key) key = "";
  const size_t length = std::strlen(key);
  if (length > kMaxKeyLength) return AddResult::kKeyTooLong;
  const int32_t bucket = BucketOf(key, length);
  if (FindEntry(key, bucket)) return AddResult::kKeyPresent;
  MemberEntry* entry = NewEntry(key, length, bucket);
  if (!entry) return AddResult::kOutOfMemory;
  entry->node = child;
  return AddResult::kAdded;
}

void MemberTable::Unlink(MemberEntry* entry) {
  if (entry->prev) {
    entry->prev->next = entry->next;
  } else if (buckets) {
    buckets[BucketOf(entry->key, std::strlen(entry->key))] = entry->next;
  }
  if (entry->next) entry->next->prev = entry->prev;
  --entries;
  if (entry->newer) entry->newer->older = entry->older;
  if (entry->older) entry->older->newer = entry->newer;
  if (newest == entry) newest = entry->older;
}

void MemberTable::FreeEntry(MemberEntry* entry) {
  delete[] entry->key;
  delete entry;
}

void MemberTable::ReleaseMembers() {
  cursor = newest;
  while (cursor) {
    cJson::Node* child = cursor->node;
    cursor->node = nullptr;
    delete child;
    // Walk on to the next older entry that still holds a child; the empty
    // entries passed on the way are dropped, they only record failed lookups.
    MemberEntry* older = cursor->older;
    while (older && !older->node) {
      MemberEntry* empty = older;
      older = older->older;
      Unlink(empty);
      FreeEntry(empty);
    }
    cursor = older;
  }
}

int32_t MemberTable::CountEntries() const {
  int32_t count = 0;
  for (const MemberEntry* entry = newest; entry; entry = entry->older) ++count;
  return count;
}
