#include "download/http.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/app.h"
#include "download/transfer_log.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/owned_file.h"
#include "platform/system.h"

namespace {

// One buffer per pass: it also receives the length header, and bounds one
// read and the first report of available data.
constexpr uint32_t kReadBufferSize = 0x100000;
constexpr size_t kHeaderBufferSize = 128;
constexpr uint32_t kPollMs = 33;
constexpr int kReadRetries = 9;
constexpr int kEarlyEndsLimit = 9;
constexpr uint32_t kConnectionsPerServer = 4;
constexpr uint32_t kSecondLimitFallback = 14;

constexpr char kFirstRequestHeaders[] = "Accept-Encoding:*\r\nAccept-Ranges:bytes\r\nRange:bytes=0-\r\n";
constexpr char kRangedRequestHeaders[] = "Accept-Encoding:*\r\nAccept-Ranges:bytes\r\nRange:bytes=%" PRId64 "-\r\n";
// Always from the server, and never into the cache: a client of several
// gigabytes must not be stored twice.
constexpr uint32_t kUrlFlags = net::kReload | net::kNoCacheWrite;

constexpr char kServerUnreachable[] =
    "Currently you are not able to reach the server.\nPlease check your network and retry again.";
constexpr char kConnectionSettingError[] = "cHttp::GetMaxConnections :: network error(-13) - connection setting";
constexpr char kFileOpenError[] = "cHttp::OnExecute :: file open error (-31)";
constexpr char kFileWriteError[] = "cHttp::OnExecute :: file write error (-35)";
constexpr char kTooMuchAvailable[] = "cHttp::OnExecute :: network error (-4)";
constexpr char kReadsFailed[] = "cHttp::OnExecute :: network error (-5)";
constexpr char kTooManyEarlyEnds[] = "cHttp::OnExecute :: network error (-9)";
constexpr char kEarlyEndLogLine[] = "cHttp::OnExecute :: network error (-92)";
constexpr char kWrongRange[] = "cHttp::OnExecute :: range error (-7)";
constexpr char kEncodedBody[] = "cHttp::OnExecute :: content encoding error (-8)";
constexpr char kErrorStatusFormat[] = "cHttp::OnExecute :: HTTP status %d (-6)";
constexpr char kUrlTooLongFormat[] = "cHttp::%s :: url too long (-12)";
constexpr char kPathTooLongFormat[] = "cHttp::%s :: path too long (-33)";

// The process-wide connection limit; 0 until GetMaxConnections has set it.
std::atomic<uint32_t> maxConnections{0};

void Warn(const char* text) { NotifyUser(text, platform::kMbIconWarning); }

[[noreturn]] void WarnAndEnd(const char* text, int exitCode) {
  Warn(text);
  platform::EndProcess(exitCode);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The first byte position of a Content-Range ("bytes 100-199/200").
bool RangeStart(const char* contentRange, int64_t* start) {
  while (*contentRange == ' ') ++contentRange;
  if (std::strncmp(contentRange, "bytes ", 6) != 0) return false;
  const char* digits = contentRange + 6;
  while (*digits == ' ') ++digits;
  if (!IsDigit(*digits)) return false;
  char* end = nullptr;
  *start = std::strtoll(digits, &end, 10);
  return *end == '-';
}

// The full length a Content-Range gives ("bytes 100-199/200"); false when it
// is unknown ("bytes 100-199/*") or unreadable.
bool RangeTotal(const char* contentRange, int64_t* total) {
  int64_t start = 0;
  if (!RangeStart(contentRange, &start)) return false;
  const char* slash = std::strchr(contentRange, '/');
  if (!slash || !IsDigit(slash[1])) return false;
  char* end = nullptr;
  *total = std::strtoll(slash + 1, &end, 10);
  while (*end == ' ') ++end;
  return *end == 0 && *total > 0;
}

}  // namespace

// What one pass owns: the read buffer and the local file.
struct cHttp::Pass {
  std::unique_ptr<char[]> buffer;
  FILE* file = nullptr;
};

cHttp::cHttp(const char* threadName)
    : cThread(threadName),
      internetHandle(nullptr),
      requestHandle(nullptr),
      resume(0),
      startOffset(0),
      doneSize(0),
      whole_(false),
      mismatched_(false),
      hashedSize_(0) {
  url[0] = 0;
  path[0] = 0;
  expectedSha256_[0] = 0;
  // Settles the process-wide limit before the first transfer needs it.
  GetMaxConnections();
}

cHttp::~cHttp() {
  Stop();
  CloseHandles();
}

void cHttp::OnStart(int64_t) {}

void cHttp::OnFinish(int64_t, int64_t) {}

bool cHttp::TakeArguments(const char* operation, const char* sourceUrl, const char* localPath) {
  if (!sourceUrl) sourceUrl = "";
  if (!localPath) localPath = "";
  char text[128];
  if (std::strlen(sourceUrl) >= sizeof url) {
    std::snprintf(text, sizeof text, kUrlTooLongFormat, operation);
    Warn(text);
    return false;
  }
  if (std::strlen(localPath) >= sizeof path) {
    std::snprintf(text, sizeof text, kPathTooLongFormat, operation);
    Warn(text);
    return false;
  }
  std::snprintf(url, sizeof url, "%s", sourceUrl);
  std::snprintf(path, sizeof path, "%s", localPath);
  return true;
}

void cHttp::DownloadFile(const char* sourceUrl, const char* localPath, const char* sha256) {
  resume = 1;
  whole_ = false;
  mismatched_ = false;
  if (!TakeArguments("DownloadFile", sourceUrl, localPath)) return;
  expectedSha256_[0] = 0;
  if (sha256) std::snprintf(expectedSha256_, sizeof expectedSha256_, "%s", sha256);
  hash_.reset(Verifying() ? new platform::Sha256 : nullptr);
  hashedSize_ = 0;
  CreateSubDirectories(path);
  Start();
}

int64_t cHttp::DownloadResource(const char* sourceUrl, const char* localPath) {
  resume = 0;
  whole_ = false;
  if (!TakeArguments("DownloadResource", sourceUrl, localPath)) return 0;
  doneSize = 0;
  startOffset = 0;
  CreateSubDirectories(path);
  running = 1;
  joined = 0;
  OnExecute();
  running = 0;
  // A part of a document is no document.
  return whole_ ? doneSize : 0;
}

int cHttp::GetMaxConnections() {
  const uint32_t cached = maxConnections.load();
  if (cached != 0) return static_cast<int>(cached);
  net::SetOption(net::kMaxConnsPerServer, kConnectionsPerServer);
  net::SetOption(net::kMaxConnsPer10Server, kConnectionsPerServer);
  // A query that writes nothing leaves the first at 0 and the second at 14.
  uint32_t perServer = 0;
  net::QueryOption(net::kMaxConnsPerServer, &perServer);
  uint32_t per10Server = kSecondLimitFallback;
  net::QueryOption(net::kMaxConnsPer10Server, &per10Server);
  const uint32_t limit = std::min(perServer, per10Server);
  if (limit == 0) WarnAndEnd(kConnectionSettingError, -13);
  maxConnections.store(limit);
  return static_cast<int>(limit);
}

void cHttp::CreateSubDirectories(const char* localPath) {
  const char separator = std::strchr(localPath, '/') ? '/' : '\\';
  const size_t length = std::strlen(localPath);
  // A writable copy, cut at each separator in turn and mended after.
  std::unique_ptr<char[]> folder(new char[length + 1]);
  std::memcpy(folder.get(), localPath, length + 1);
  for (size_t i = 0; i < length; ++i) {
    if (folder[i] != separator) continue;
    folder[i] = 0;
    platform::CreateFolder(folder.get());  // usually exists already
    folder[i] = separator;
  }
}

int64_t cHttp::GetLocalFileSize(const char* localPath) {
  FILE* file = platform::OpenFile(localPath, "rb");
  if (!file) return 0;
  int64_t size = 0;
  if (platform::SeekFile(file, 0, SEEK_END)) size = platform::TellFile(file);
  std::fclose(file);
  return size > 0 ? size : 0;
}

void cHttp::CloseHandles() {
  if (requestHandle) {
    net::Close(requestHandle);
    requestHandle = nullptr;
  }
  // The download manager may take the session out from another thread to
  // break off a blocking call; whoever takes it closes it.
  if (net::Handle session = internetHandle.exchange(nullptr)) net::Close(session);
}

void cHttp::ReleasePass(Pass& pass) {
  pass.buffer.reset();
  if (pass.file) {
    std::fflush(pass.file);
    std::fclose(pass.file);
    pass.file = nullptr;
  }
  CloseHandles();
}

void cHttp::Abandon(Pass& pass, const char* text) {
  Warn(text);
  ReleasePass(pass);
}

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

int64_t cHttp::ResourceLength(char* buffer, uint32_t capacity) {
  // Without a Content-Length the server counts as unreachable, as before.
  if (!net::QueryContentLength(requestHandle, buffer, capacity)) return 0;
  const int64_t length = std::strtoll(buffer, nullptr, 10);
  if (length <= 0) return 0;  // unreadable, like a missing length
  int status = 0;
  int64_t total = 0;
  if (net::QueryStatusCode(requestHandle, &status) && status == 206 &&
      net::QueryHeader(requestHandle, "Content-Range", buffer, capacity) && RangeTotal(buffer, &total)) {
    return total;
  }
  return length;
}

cHttp::Answer cHttp::CheckAnswer(int64_t offset) {
  char text[128];
  int status = 0;
  net::QueryStatusCode(requestHandle, &status);
  if (status != 200 && status != 206) {
    // An error page is not the file, whatever its length.
    std::snprintf(text, sizeof text, kErrorStatusFormat, status);
    Warn(text);
    return Answer::kRefused;
  }
  // "Accept-Encoding:*" lets a server compress; its bytes are not the file's
  // and its Content-Length is not the file's length.
  if (net::QueryHeader(requestHandle, "Content-Encoding", text, sizeof text) && text[0] &&
      std::strcmp(text, "identity") != 0) {
    Warn(kEncodedBody);
    return Answer::kRefused;
  }
  if (status == 200) return offset == 0 ? Answer::kAccepted : Answer::kWholeBody;
  int64_t start = -1;
  if (!net::QueryHeader(requestHandle, "Content-Range", text, sizeof text) || !RangeStart(text, &start) ||
      start != offset) {
    Warn(kWrongRange);
    return Answer::kRefused;
  }
  return Answer::kAccepted;
}

void cHttp::OnExecute() {
  int earlyEnds = 0;  // consecutive early ends of the response
  bool firstPass = true;
  // Bytes of the file the hooks have accounted for (OnStart, then each
  // OnReceived): bytes written again after a restart are not counted twice.
  int64_t counted = 0;
  // A file whose bytes did not match its digest is fetched again once.
  bool fetchedAgain = false;
  for (;;) {
    if (resume) {
      startOffset = doneSize = GetLocalFileSize(path);
    } else {
      doneSize = startOffset;
    }
    internetHandle = net::OpenSession(name, &running);
    Pass pass;
    pass.buffer.reset(new char[kReadBufferSize]);
    char* buffer = pass.buffer.get();

    char headers[kHeaderBufferSize];
    std::snprintf(headers, sizeof headers, "%s", kFirstRequestHeaders);
    requestHandle =
        net::OpenUrl(internetHandle.load(), url, headers, static_cast<uint32_t>(std::strlen(headers)), kUrlFlags);
    if (requestHandle && CheckAnswer(0) == Answer::kRefused) {
      ReleasePass(pass);
      return;
    }

    const int64_t total = requestHandle ? ResourceLength(buffer, kReadBufferSize) : 0;
    if (total == 0) {
      pass.buffer.reset();
      if (internetHandle.load() && running) WarnAndEnd(kServerUnreachable, -11);
      CloseHandles();
      return;
    }

    // A local file longer than the resource is not a part of it.
    if (startOffset > total) startOffset = doneSize = 0;
    // A file that looks complete counts only once its bytes match: one read
    // of it, before the hooks count it.
    if (Verifying() && startOffset == total) {
      const DiskHash hashed = HashLocalBytes(total, buffer);
      if (hashed == DiskHash::kStopped) {
        ReleasePass(pass);
        return;
      }
      if (hashed == DiskHash::kUnreadable || !DigestMatches()) {
        fetchedAgain = true;
        EmptyLocalFile();
        startOffset = doneSize = 0;
      }
    }
    if (firstPass) {
      OnStart(startOffset);
      counted = startOffset;
    }
    if (total == startOffset) {
      CloseHandles();
      pass.buffer.reset();
      whole_ = true;
      OnFinish(startOffset, doneSize);
      return;
    }

    if (startOffset != 0) {
      std::snprintf(headers, sizeof headers, kRangedRequestHeaders, startOffset);
      net::Close(requestHandle);
      requestHandle =
          net::OpenUrl(internetHandle.load(), url, headers, static_cast<uint32_t>(std::strlen(headers)), kUrlFlags);
      if (requestHandle) {
        const Answer answer = CheckAnswer(startOffset);
        if (answer == Answer::kRefused) {
          ReleasePass(pass);
          return;
        }
        // The server sent the whole resource: the file starts again, rather
        // than getting the whole body appended after the bytes it has.
        if (answer == Answer::kWholeBody) startOffset = doneSize = 0;
      }
    }

    // The digest covers the bytes the file keeps before this pass writes.
    if (Verifying()) {
      const DiskHash hashed = HashLocalBytes(startOffset, buffer);
      if (hashed == DiskHash::kStopped) {
        ReleasePass(pass);
        return;
      }
      if (hashed == DiskHash::kUnreadable) {
        // Bytes that cannot be read back cannot be vouched for: written anew.
        startOffset = doneSize = 0;
        hash_.reset(new platform::Sha256);
        hashedSize_ = 0;
      }
    }

    pass.file = platform::OpenFile(path, startOffset != 0 ? "rb+" : "wb+");
    if (!pass.file) {
      Abandon(pass, kFileOpenError);
      return;
    }
    if (startOffset != 0) platform::SeekFile(pass.file, startOffset, SEEK_SET);

    uint32_t available = 0;
    net::QueryDataAvailable(requestHandle, &available);
    if (available > kReadBufferSize) WarnAndEnd(kTooMuchAvailable, -4);

    for (;;) {
      // Takes what has arrived: each piece is on disk and counted at once.
      uint32_t n = 0;
      bool read = net::Read(requestHandle, buffer, kReadBufferSize, &n);
      for (int retry = 0; !read && retry < kReadRetries; ++retry) {
        if (!running) {
          ReleasePass(pass);
          return;
        }
        platform::SleepMs(kPollMs);
        read = net::Read(requestHandle, buffer, kReadBufferSize, &n);
      }
      if (!read) {
        if (!running) {
          ReleasePass(pass);
          return;
        }
        platform::SleepMs(kPollMs);
        Warn(kReadsFailed);
        // The fetch of a document runs on the user-interface thread, which
        // must not wait out one stalled connection after another.
        if (!resume) {
          ReleasePass(pass);
          return;
        }
        n = 0;
      }
      if (n == 0 && running) break;  // the response ended early

      // A full disk must not pass for received bytes.
      if (std::fwrite(buffer, 1, n, pass.file) != n || std::fflush(pass.file) != 0) {
        Abandon(pass, kFileWriteError);
        return;
      }
      if (Verifying()) {
        hash_->Update(buffer, n);
        hashedSize_ += n;
      }
      const int64_t end = doneSize + n;
      const int64_t fresh = std::max<int64_t>(0, end - std::max(counted, doneSize));
      if (fresh > 0 || n == 0) OnReceived(static_cast<int>(fresh));
      counted = std::max(counted, end);
      doneSize = end;
      if (doneSize >= total && Verifying() && !DigestMatches()) {
        ReleasePass(pass);
        // Other bytes than the manifest's: once more from byte 0, then the
        // run is told the file is missing.
        if (fetchedAgain) {
          mismatched_ = true;
          return;
        }
        fetchedAgain = true;
        EmptyLocalFile();
        break;
      }
      if (doneSize >= total || !running) {
        whole_ = doneSize >= total;
        OnFinish(startOffset, doneSize);
        ReleasePass(pass);
        return;
      }
      // Only bytes past the furthest point reached are progress: a server
      // that sends the same first bytes again and again (a whole body to
      // every range, each cut short) must still run out of early ends.
      if (fresh > 0) earlyEnds = 0;
    }

    if (!pass.file) {  // emptied for a fetch from byte 0: not an early end
      firstPass = false;
      continue;
    }
    if (++earlyEnds >= kEarlyEndsLimit) {
      std::fclose(pass.file);
      WarnAndEnd(kTooManyEarlyEnds, -9);
    }
    ReleasePass(pass);
    AppendTransferLog(__DATE__ " " __TIME__, kEarlyEndLogLine);
    firstPass = false;
    // A document continues after the bytes this fetch has written, as a
    // file continues after the bytes on disk: starting again from byte 0
    // would meet the same early end every time.
    if (!resume) startOffset = doneSize;
  }
}
