#include "download/http.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "download/content_range.h"
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
// A failed read is tried again nine times, 33 ms apart, with the running
// flag read before each: about 0.3 s before the player is told, short
// against a stop. The network seam fails every later call on a request
// after a failed one, so the tries bring no data back any more; the pause
// is what is left of them.
constexpr uint32_t kPollMs = 33;
constexpr int kReadRetries = 9;
// Early ends in a row that bring no new byte before the transfer gives up
// on the server: each costs a reconnect, and a server that cuts every answer
// short before a new byte is broken rather than busy.
constexpr int kEarlyEndsLimit = 9;
// Four transfers to one server at once: the manager's slot count.
constexpr uint32_t kConnectionsPerServer = 4;
// What the per-HTTP/1.0-server limit reads when the system's query writes
// nothing.
constexpr uint32_t kPer10ServerLimitFallback = 14;

// Every request asks for a byte range, the first of a pass from byte 0.
constexpr char kRequestHeaders[] = "Accept-Encoding:*\r\nAccept-Ranges:bytes\r\nRange:bytes=%" PRId64 "-\r\n";
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
// https refusals, told before the server counts as unreachable.
constexpr char kUntrustedIssuer[] = "cHttp::OnExecute :: certificate error: untrusted issuer (-14)";
constexpr char kWrongName[] = "cHttp::OnExecute :: certificate error: wrong name (-15)";
constexpr char kExpired[] = "cHttp::OnExecute :: certificate error: expired (-16)";
constexpr char kBadCertificate[] = "cHttp::OnExecute :: certificate error: secure connection refused (-17)";
constexpr char kRedirectToHttp[] = "cHttp::OnExecute :: redirect from https to http refused (-18)";
constexpr char kUrlTooLongFormat[] = "cHttp::%s :: url too long (-12)";
constexpr char kPathTooLongFormat[] = "cHttp::%s :: path too long (-33)";

// The process-wide connection limit; 0 until GetMaxConnections has set it.
std::atomic<uint32_t> maxConnections{0};

const char* RefusalText(net::Refusal refusal) {
  switch (refusal) {
    case net::Refusal::kUntrustedIssuer: return kUntrustedIssuer;
    case net::Refusal::kWrongName: return kWrongName;
    case net::Refusal::kExpired: return kExpired;
    case net::Refusal::kBadCertificate: return kBadCertificate;
    case net::Refusal::kRedirectToHttp: return kRedirectToHttp;
    case net::Refusal::kNone: break;
  }
  return nullptr;
}

[[noreturn]] void TellAndEnd(cDownloadHost& host, const char* text, int exitCode) {
  host.NotifyUser(text, platform::kMbIconWarning);
  platform::EndProcess(exitCode);
}

}  // namespace

// What one pass owns and learns: the read buffer, the local file, and the
// resource's full length.
struct cHttp::Pass {
  std::unique_ptr<char[]> buffer;
  platform::OwnedFile file;
  int64_t total = 0;
};

// What the passes of one transfer carry from one to the next.
struct cHttp::Passes {
  int earlyEnds = 0;  // consecutive early ends of the response
  bool first = true;
  // Bytes of the file the hooks have accounted for (OnStart, then each
  // OnReceived): bytes written again after a restart are not counted twice.
  int64_t counted = 0;
  // A file whose bytes did not match its digest is fetched again once.
  bool fetchedAgain = false;
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
}

cHttp::~cHttp() {
  Stop();
  CloseHandles();
}

void cHttp::OnStart(int64_t) {}

void cHttp::OnFinish(int64_t, int64_t) {}

void cHttp::Warn(const char* text) { Host().NotifyUser(text, platform::kMbIconWarning); }

void cHttp::WarnAndEnd(const char* text, int exitCode) { TellAndEnd(Host(), text, exitCode); }

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
  // Settles the process-wide limit before the first transfer needs it.
  GetMaxConnections(Host());
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
  GetMaxConnections(Host());
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

int cHttp::GetMaxConnections(cDownloadHost& host) {
  const uint32_t cached = maxConnections.load();
  if (cached != 0) return static_cast<int>(cached);
  net::SetOption(net::kMaxConnsPerServer, kConnectionsPerServer);
  net::SetOption(net::kMaxConnsPer10Server, kConnectionsPerServer);
  // A query that writes nothing leaves the first at 0 and the second at 14.
  uint32_t perServer = 0;
  net::QueryOption(net::kMaxConnsPerServer, &perServer);
  uint32_t per10Server = kPer10ServerLimitFallback;
  net::QueryOption(net::kMaxConnsPer10Server, &per10Server);
  const uint32_t limit = std::min(perServer, per10Server);
  if (limit == 0) TellAndEnd(host, kConnectionSettingError, -13);
  maxConnections.store(limit);
  return static_cast<int>(limit);
}

void cHttp::CreateSubDirectories(const char* localPath) {
  const char separator = std::strchr(localPath, '/') ? '/' : '\\';
  // The file's folder, every level of it; they usually exist already.
  const char* lastSeparator = std::strrchr(localPath, separator);
  if (lastSeparator) platform::CreateFolderLevels(std::string(localPath, lastSeparator).c_str(), 0, separator);
}

int64_t cHttp::GetLocalFileSize(const char* localPath) {
  const platform::OwnedFile file(platform::OpenFile(localPath, "rb"));
  if (!file) return 0;
  int64_t size = 0;
  if (platform::SeekFile(file.get(), 0, SEEK_END)) size = platform::TellFile(file.get());
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
  pass.file.reset();  // flushed as it closes
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
  Passes passes;
  for (;;) {
    Pass pass;
    if (!OpenAndLearnLength(pass) || !CheckLocalBytes(pass, passes) || !RequestTheRest(pass) ||
        !OpenLocalFile(pass)) {
      return;
    }
    const BodyEnd end = CopyBody(pass, passes);
    if (end == BodyEnd::kTransferEnded) return;
    EndPass(pass, passes, end);
  }
}

net::Handle cHttp::RequestFrom(int64_t offset) {
  char headers[kHeaderBufferSize];
  std::snprintf(headers, sizeof headers, kRequestHeaders, offset);
  net::Handle session = internetHandle.load();
  net::Handle request =
      net::OpenUrl(session, url, headers, static_cast<uint32_t>(std::strlen(headers)), kUrlFlags);
  // The player learns what was wrong with the server before it counts as
  // unreachable.
  if (!request && running) {
    if (const char* text = RefusalText(net::LastRefusal(session))) Warn(text);
  }
  return request;
}

bool cHttp::OpenAndLearnLength(Pass& pass) {
  if (resume) {
    startOffset = doneSize = GetLocalFileSize(path);
  } else {
    doneSize = startOffset;
  }
  internetHandle = net::OpenSession(name, &running);
  pass.buffer.reset(new char[kReadBufferSize]);
  requestHandle = RequestFrom(0);
  if (requestHandle && CheckAnswer(0) == Answer::kRefused) {
    ReleasePass(pass);
    return false;
  }
  pass.total = requestHandle ? ResourceLength(pass.buffer.get(), kReadBufferSize) : 0;
  if (pass.total == 0) {
    pass.buffer.reset();
    if (internetHandle.load() && running) WarnAndEnd(kServerUnreachable, -11);
    CloseHandles();
    return false;
  }
  return true;
}

bool cHttp::CheckLocalBytes(Pass& pass, Passes& passes) {
  // A local file longer than the resource is not a part of it.
  if (startOffset > pass.total) startOffset = doneSize = 0;
  // A file that looks complete counts only once its bytes match: one read
  // of it, before the hooks count it.
  if (Verifying() && startOffset == pass.total) {
    const DiskHash hashed = HashLocalBytes(pass.total, pass.buffer.get());
    if (hashed == DiskHash::kStopped) {
      ReleasePass(pass);
      return false;
    }
    if (hashed == DiskHash::kUnreadable || !DigestMatches()) {
      passes.fetchedAgain = true;
      EmptyLocalFile();
      startOffset = doneSize = 0;
    }
  }
  if (passes.first) {
    OnStart(startOffset);
    passes.counted = startOffset;
  }
  if (pass.total == startOffset) {
    CloseHandles();
    pass.buffer.reset();
    whole_ = true;
    OnFinish(startOffset, doneSize);
    return false;
  }
  return true;
}

bool cHttp::RequestTheRest(Pass& pass) {
  if (startOffset != 0) {
    net::Close(requestHandle);
    requestHandle = RequestFrom(startOffset);
    if (!requestHandle && running && net::LastRefusal(internetHandle.load()) != net::Refusal::kNone) {
      // Told already; what a refused server sends is never read.
      ReleasePass(pass);
      WarnAndEnd(kServerUnreachable, -11);
    }
    if (requestHandle) {
      const Answer answer = CheckAnswer(startOffset);
      if (answer == Answer::kRefused) {
        ReleasePass(pass);
        return false;
      }
      // The server sent the whole resource: the file starts again, rather
      // than getting the whole body appended after the bytes it has.
      if (answer == Answer::kWholeBody) startOffset = doneSize = 0;
    }
  }
  // The digest covers the bytes the file keeps before this pass writes.
  if (Verifying()) {
    const DiskHash hashed = HashLocalBytes(startOffset, pass.buffer.get());
    if (hashed == DiskHash::kStopped) {
      ReleasePass(pass);
      return false;
    }
    if (hashed == DiskHash::kUnreadable) {
      // Bytes that cannot be read back cannot be vouched for: written anew.
      startOffset = doneSize = 0;
      hash_.reset(new platform::Sha256);
      hashedSize_ = 0;
    }
  }
  return true;
}

bool cHttp::OpenLocalFile(Pass& pass) {
  pass.file.reset(platform::OpenFile(path, startOffset != 0 ? "rb+" : "wb+"));
  if (!pass.file) {
    Abandon(pass, kFileOpenError);
    return false;
  }
  if (startOffset != 0) platform::SeekFile(pass.file.get(), startOffset, SEEK_SET);
  uint32_t available = 0;
  net::QueryDataAvailable(requestHandle, &available);
  if (available > kReadBufferSize) WarnAndEnd(kTooMuchAvailable, -4);
  return true;
}

cHttp::ReadResult cHttp::ReadWithRetries(char* buffer, uint32_t* bytesRead) {
  bool read = net::Read(requestHandle, buffer, kReadBufferSize, bytesRead);
  for (int retry = 0; !read && retry < kReadRetries; ++retry) {
    if (!running) return ReadResult::kStopped;
    platform::SleepMs(kPollMs);
    read = net::Read(requestHandle, buffer, kReadBufferSize, bytesRead);
  }
  if (read) return ReadResult::kRead;
  return running ? ReadResult::kFailed : ReadResult::kStopped;
}

bool cHttp::WriteChunk(Pass& pass, uint32_t bytes) {
  // A full disk must not pass for received bytes.
  if (std::fwrite(pass.buffer.get(), 1, bytes, pass.file.get()) != bytes || std::fflush(pass.file.get()) != 0) {
    Abandon(pass, kFileWriteError);
    return false;
  }
  if (Verifying()) {
    hash_->Update(pass.buffer.get(), bytes);
    hashedSize_ += bytes;
  }
  return true;
}

int64_t cHttp::CountChunk(Passes& passes, uint32_t bytes) {
  const int64_t end = doneSize + bytes;
  const int64_t fresh = std::max<int64_t>(0, end - std::max(passes.counted, doneSize));
  if (fresh > 0 || bytes == 0) OnReceived(static_cast<int>(fresh));
  passes.counted = std::max(passes.counted, end);
  doneSize = end;
  return fresh;
}

cHttp::BodyEnd cHttp::CopyBody(Pass& pass, Passes& passes) {
  for (;;) {
    // Takes what has arrived: each piece is on disk and counted at once.
    uint32_t n = 0;
    const ReadResult read = ReadWithRetries(pass.buffer.get(), &n);
    if (read == ReadResult::kStopped) {
      ReleasePass(pass);
      return BodyEnd::kTransferEnded;
    }
    if (read == ReadResult::kFailed) {
      platform::SleepMs(kPollMs);
      Warn(kReadsFailed);
      // The fetch of a document runs on the user-interface thread, which
      // must not wait out one stalled connection after another.
      if (!resume) {
        ReleasePass(pass);
        return BodyEnd::kTransferEnded;
      }
      n = 0;
    }
    if (n == 0 && running) return BodyEnd::kEarly;

    if (!WriteChunk(pass, n)) return BodyEnd::kTransferEnded;
    const int64_t fresh = CountChunk(passes, n);
    if (doneSize >= pass.total && Verifying() && !DigestMatches()) {
      ReleasePass(pass);
      // Other bytes than the manifest's: once more from byte 0, then the
      // run is told the file is missing.
      if (passes.fetchedAgain) {
        mismatched_ = true;
        return BodyEnd::kTransferEnded;
      }
      passes.fetchedAgain = true;
      EmptyLocalFile();
      return BodyEnd::kStartAgain;
    }
    if (doneSize >= pass.total || !running) {
      whole_ = doneSize >= pass.total;
      OnFinish(startOffset, doneSize);
      ReleasePass(pass);
      return BodyEnd::kTransferEnded;
    }
    // Only bytes past the furthest point reached are progress: a server
    // that sends the same first bytes again and again (a whole body to
    // every range, each cut short) must still run out of early ends.
    if (fresh > 0) passes.earlyEnds = 0;
  }
}

void cHttp::EndPass(Pass& pass, Passes& passes, BodyEnd end) {
  passes.first = false;
  // Emptied for a fetch from byte 0: not an early end.
  if (end == BodyEnd::kStartAgain) return;
  if (++passes.earlyEnds >= kEarlyEndsLimit) {
    pass.file.reset();
    WarnAndEnd(kTooManyEarlyEnds, -9);
  }
  ReleasePass(pass);
  AppendTransferLog(Host().WorkFolder(), __DATE__ " " __TIME__, kEarlyEndLogLine);
  // A document continues after the bytes this fetch has written, as a
  // file continues after the bytes on disk: starting again from byte 0
  // would meet the same early end every time.
  if (!resume) startOffset = doneSize;
}
