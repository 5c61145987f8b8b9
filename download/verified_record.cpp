#include "download/verified_record.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>

#include "download/file_list.h"
#include "platform/owned_file.h"
#include "platform/sha256.h"

namespace {

// The first line names the format; the last says the record was written to
// its end. Between them, one line per file:
//   <SHA-256, 64 hex digits> <size> <last-write time> <name>
// The name comes last, so that it may hold spaces.
constexpr char kHeader[] = "verified files 1\n";
constexpr char kTrailer[] = "end\n";

// One line's fields; false when the line is not one the record writes.
template <class Entry>
bool ParseLine(const std::string& line, Entry* entry, std::string* name) {
  if (line.size() < 70 || line[64] != ' ') return false;
  std::memcpy(entry->digest, line.c_str(), 64);
  entry->digest[64] = 0;
  if (!platform::IsSha256Text(entry->digest)) return false;
  const char* at = line.c_str() + 65;
  char* end = nullptr;
  entry->size = std::strtoll(at, &end, 10);
  if (end == at || *end != ' ') return false;
  at = end + 1;
  entry->lastWrite = std::strtoll(at, &end, 10);
  if (end == at || *end != ' ' || end[1] == 0) return false;
  name->assign(end + 1);
  entry->present = true;
  return true;
}

}  // namespace

void cVerifiedRecord::Load(const char* path, const cFileList& list) {
  std::unordered_map<std::string, Entry> recorded;
  std::string text;
  if (!platform::ReadFileUpTo(path, SIZE_MAX, &text)) text.clear();
  const size_t headerLength = sizeof kHeader - 1;
  const size_t trailerLength = sizeof kTrailer - 1;
  // A record that was cut, or is no record, vouches for nothing.
  if (text.size() >= headerLength + trailerLength && text.compare(0, headerLength, kHeader) == 0 &&
      text.compare(text.size() - trailerLength, trailerLength, kTrailer) == 0) {
    for (size_t at = headerLength, end; at < text.size() - trailerLength; at = end + 1) {
      end = text.find('\n', at);
      Entry entry;
      std::string name;
      if (ParseLine(text.substr(at, end - at), &entry, &name)) recorded[name] = entry;
    }
  }
  std::lock_guard<std::mutex> guard(lock_);
  entries_.assign(static_cast<size_t>(list.Count()), Entry{});
  size_t kept = 0;
  for (int i = 0; i < list.Count(); ++i) {
    const char* name = list.Entry(i).name;
    auto found = name ? recorded.find(name) : recorded.end();
    if (found == recorded.end()) continue;
    entries_[static_cast<size_t>(i)] = found->second;
    ++kept;
  }
  // Whatever the manifest no longer lists goes at the next write.
  changed_ = kept != recorded.size();
}

bool cVerifiedRecord::Vouches(int index, const platform::FileStamp& stamp, const char* sha256) const {
  if (!sha256 || !platform::IsSha256Text(sha256)) return false;
  std::lock_guard<std::mutex> guard(lock_);
  if (index < 0 || static_cast<size_t>(index) >= entries_.size()) return false;
  const Entry& entry = entries_[static_cast<size_t>(index)];
  return entry.present && entry.size == stamp.size && entry.lastWrite == stamp.lastWrite &&
         platform::SameSha256(entry.digest, sha256);
}

void cVerifiedRecord::Forget(int index) {
  std::lock_guard<std::mutex> guard(lock_);
  if (index < 0 || static_cast<size_t>(index) >= entries_.size() || !entries_[static_cast<size_t>(index)].present) {
    return;
  }
  entries_[static_cast<size_t>(index)].present = false;
  changed_ = true;
}

void cVerifiedRecord::Note(int index, const platform::FileStamp& stamp, const char* sha256) {
  Entry entry;
  if (!sha256 || !platform::IsSha256Text(sha256)) return;
  std::memcpy(entry.digest, sha256, sizeof entry.digest);
  entry.size = stamp.size;
  entry.lastWrite = stamp.lastWrite;
  entry.present = true;
  std::lock_guard<std::mutex> guard(lock_);
  if (index < 0 || static_cast<size_t>(index) >= entries_.size()) return;
  entries_[static_cast<size_t>(index)] = entry;
  changed_ = true;
}

bool cVerifiedRecord::Changed() const {
  std::lock_guard<std::mutex> guard(lock_);
  return changed_;
}

bool cVerifiedRecord::Write(const char* path, const cFileList& list) {
  std::vector<Entry> entries;
  {
    std::lock_guard<std::mutex> guard(lock_);
    entries = entries_;
    changed_ = false;
  }
  const std::string beside = std::string(path) + ".new";
  bool written = false;
  {
    platform::OwnedFile file(platform::OpenFile(beside.c_str(), "wb"));
    if (file) {
      std::fputs(kHeader, file.get());
      for (size_t i = 0; i < entries.size() && static_cast<int>(i) < list.Count(); ++i) {
        const char* name = list.Entry(static_cast<int>(i)).name;
        // A name that would break its line is not recorded: read again.
        if (!entries[i].present || !name || std::strpbrk(name, "\r\n")) continue;
        std::fprintf(file.get(), "%s %" PRId64 " %" PRId64 " %s\n", entries[i].digest, entries[i].size,
                     entries[i].lastWrite, name);
      }
      std::fputs(kTrailer, file.get());
      // On the disk before it replaces the old record: a power cut then
      // finds one record or the other whole.
      written = !std::ferror(file.get()) && platform::FlushToDisk(file.get());
    }
  }
  if (written) written = platform::MoveOver(beside.c_str(), path);
  if (!written) {
    platform::RemoveFile(beside.c_str());
    std::lock_guard<std::mutex> guard(lock_);
    changed_ = true;  // tried again at the next write
  }
  return written;
}
