#pragma once
// The members of one object node: a hash table of 999 chain heads with doubly
// linked chains, plus a list of the entries in the order they were added, so
// that members are released from the last added to the first.
//
// The heads are made only once an object has more than kListedMembers
// entries; a smaller object is looked up along its list. A manifest's entries
// are objects of three or four members: with their own 999 heads each, a
// client of 100,000 files took 400 MB of heads in a 32-bit process. The table
// never shrinks. A lookup of a missing key leaves an empty entry (no child)
// behind, which later lookups of that key find again.

#include <cstddef>
#include <cstdint>

#include "json/node.h"

struct MemberEntry {
  char* key;            // own copy of the member name
  cJson::Node* node;    // owned child; null in an empty entry
  MemberEntry* next;    // bucket chain
  MemberEntry* prev;
  MemberEntry* older;   // insertion list
  MemberEntry* newer;
};

class MemberTable {
 public:
  static constexpr int32_t kCapacity = 999;
  // Entries an object holds before it makes its chain heads: a walk along
  // eight entries costs about what a bucket computation does.
  static constexpr int32_t kListedMembers = 8;
  static constexpr size_t kKeyBufferSize = 128;
  // Keys longer than this cannot be stored: they are never found or added.
  static constexpr size_t kMaxKeyLength = kKeyBufferSize - 1;

  MemberTable();
  ~MemberTable();  // releases the members, then frees every entry and the heads
  MemberTable(const MemberTable&) = delete;
  MemberTable& operator=(const MemberTable&) = delete;

  // False once memory ran out for the chain heads; such a table finds
  // nothing and takes nothing.
  bool IsUsable() const { return !outOfMemory; }

  // The entry of `key`; when there is none, a new empty entry for it (null
  // when the key is too long or memory ran out).
  MemberEntry* Lookup(const char* key);

  enum class AddResult { kAdded, kKeyPresent, kKeyTooLong, kOutOfMemory };

  // Adds `child` under `key` and takes ownership. Otherwise the caller keeps
  // `child`: when an entry of that key exists already (the first of equal
  // keys wins, an empty entry counts too), the key is too long or memory ran
  // out.
  AddResult Add(const char* key, cJson::Node* child);

  // Deletes every child, newest first; the entries stay with null children,
  // except empty entries met on the way, which are unlinked and freed.
  void ReleaseMembers();

  // Number of entries, empty ones included (walks the insertion list).
  int32_t CountEntries() const;

  // The bucket of a key: its bytes as a little-endian 64-bit number (at most
  // 8 bytes zero-padded, or the last 8 bytes of a longer key), modulo 999.
  static int32_t BucketOf(const char* key, size_t length);

  MemberEntry** buckets;  // kCapacity chain heads; null while the list is walked
  int32_t capacity;
  int32_t entries;   // on the insertion list
  bool outOfMemory;
  MemberEntry* newest;
  MemberEntry* cursor;  // where a release walk stands

 private:
  MemberEntry* FindEntry(const char* key, int32_t bucket) const;
  MemberEntry* NewEntry(const char* key, size_t length, int32_t bucket);
  // Makes the chain heads and hangs every entry on its chain; false when
  // memory ran out.
  bool MakeBuckets();
  void Unlink(MemberEntry* entry);
  static void FreeEntry(MemberEntry* entry);
};
