#pragma once
// cVerifiedRecord: the files whose bytes were found to match their manifest
// digest, with each file's size and last-write time at that moment. Kept in
// the work folder ("verified.txt"), so that a Start takes a file at its full
// size as whole without reading a byte when its size, last-write time and
// digest are still those recorded: a Start over a finished client of 1 GiB
// read and hashed every byte again under Wine (27 s), where fetching it took
// 6 s.
//
// The record may lag behind the disk, never lead it: an entry is noted only
// after its file's bytes have been written out and matched, it is forgotten
// before the file is written again, and the file is replaced as a whole
// (written beside, made durable, then renamed over), so a crash loses at most
// the latest entries. A record that does not read whole counts as empty;
// entries for names the manifest no longer lists are dropped. Lanes note and
// ask from their threads while the manager writes it: one lock guards it.

#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/files.h"
#include "platform/sha256.h"

class cFileList;

class cVerifiedRecord {
 public:
  // The record's file in the work folder.
  static constexpr char kFileName[] = "verified.txt";

  // Reads the record at `path`, keeping the entries of the names `list`
  // holds, by their index in it. Any fault of the file reads as no record.
  void Load(const char* path, const cFileList& list);

  // Whether entry `index` is recorded with exactly this stamp and digest.
  bool Vouches(int index, const platform::FileStamp& stamp, const char* sha256) const;
  // Drops entry `index`: its file is about to be read or written again.
  void Forget(int index);
  // Entry `index` matched `sha256` with the file as `stamp` finds it.
  void Note(int index, const platform::FileStamp& stamp, const char* sha256);

  // Whether an entry was noted or forgotten since the last Write.
  bool Changed() const;
  // Writes the record at `path` (beside it first, then renamed over it),
  // with the names of `list`; false when the file could not be written.
  bool Write(const char* path, const cFileList& list);

 private:
  struct Entry {
    int64_t size = 0;
    int64_t lastWrite = 0;
    platform::Sha256Text digest = {};
    bool present = false;
  };

  mutable std::mutex lock_;
  std::vector<Entry> entries_;  // by index in the list
  bool changed_ = false;
};
