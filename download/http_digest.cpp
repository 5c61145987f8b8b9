// cHttp's digest of a file that has one to match: the bytes already on disk
// read once, the bytes written added as they go.

#include <algorithm>
#include <cstdio>

#include "download/http.h"
#include "download/http_pass.h"
#include "platform/files.h"
#include "platform/owned_file.h"

using http_detail::kReadBufferSize;

cHttp::DiskHash cHttp::HashLocalBytes(int64_t size, char* buffer) {
  if (hashedSize_ == size) return DiskHash::kHashed;
  hash_.reset(new platform::Sha256);
  hashedSize_ = 0;
  platform::OwnedFile file(size > 0 ? platform::OpenFile(path, "rb") : nullptr);
  if (size > 0 && !file) return DiskHash::kUnreadable;
  while (hashedSize_ < size) {
    if (!running) return DiskHash::kStopped;
    const size_t want = static_cast<size_t>(std::min<int64_t>(kReadBufferSize, size - hashedSize_));
    const size_t got = std::fread(buffer, 1, want, file.get());
    if (got != want) return DiskHash::kUnreadable;
    hash_->Update(buffer, got);
    hashedSize_ += static_cast<int64_t>(got);
  }
  return DiskHash::kHashed;
}

bool cHttp::DigestMatches() {
  platform::Sha256Text digest;
  // A system that cannot hash cannot vouch for any byte.
  const bool matches = hash_->Ready() && hash_->Finish(digest) && platform::SameSha256(digest, expectedSha256_);
  hashedSize_ = 0;
  return matches;
}

void cHttp::EmptyLocalFile() {
  platform::OwnedFile emptied(platform::OpenFile(path, "wb"));
  hash_.reset(new platform::Sha256);
  hashedSize_ = 0;
}
