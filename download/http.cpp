#include "download/http.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "download/http_pass.h"
#include "download/transfer_log.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/system.h"

using http_detail::kReadBufferSize;
using http_detail::kWrongLength;

namespace {

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
// Four transfers to one server at once: the manager's lane count.
constexpr uint32_t kConnectionsPerServer = 4;
// What the per-HTTP/1.0-server limit reads when the system's query writes
// nothing.
constexpr uint32_t kPer10ServerLimitFallback = 14;

constexpr char kServerUnreachable[] =
    "Currently you are not able to reach the server.\nPlease check your network and retry again.";
constexpr char kConnectionSettingError[] = "cHttp::GetMaxConnections :: network error(-13) - connection setting";
constexpr char kFileOpenError[] = "cHttp::OnExecute :: file open error (-31)";
constexpr char kFileWriteError[] = "cHttp::OnExecute :: file write error (-35)";
constexpr char kTooMuchAvailable[] = "cHttp::OnExecute :: network error (-4)";
constexpr char kReadsFailed[] = "cHttp::OnExecute :: network error (-5)";
constexpr char kTooManyEarlyEnds[] = "cHttp::OnExecute :: network error (-9)";
constexpr char kEarlyEndLogLine[] = "cHttp::OnExecute :: network error (-92)";
constexpr char kUrlTooLongFormat[] = "cHttp::%s :: url too long (-12)";
constexpr char kPathTooLongFormat[] = "cHttp::%s :: path too long (-33)";

// The process-wide connection limit; 0 until GetMaxConnections has set it.
std::atomic<uint32_t> maxConnections{0};
std::atomic<uint32_t> lowSpeedWindowMs{cHttp::kLowSpeedWindowMs};

}  // namespace

cHttp::cHttp(const char* threadName)
    : cThread(threadName),
      internetHandle(nullptr),
      requestHandle(nullptr),
      resume(0),
      startOffset(0),
      doneSize(0),
      whole_(false),
      expectedSize_(kUnknownSize),
      hashedSize_(0),
      started_(false),
      counted_(0),
      allowance_(nullptr) {
  url[0] = 0;
  path[0] = 0;
  expectedSha256_[0] = 0;
}

cHttp::~cHttp() {
  Stop();
  CloseRequest();
  CloseSession();
}

void cHttp::OnStart(int64_t) {}

void cHttp::OnFinish(int64_t, int64_t) {}

void cHttp::Warn(const char* text) { Host().NotifyUser(text, platform::kMbIconWarning); }

void cHttp::EndProgramFor(TransferEnd end) {
  if (end == TransferEnd::kUnreachable) Host().EndProgram(kServerUnreachable, -11);
  if (end == TransferEnd::kEarlyEnds) Host().EndProgram(kTooManyEarlyEnds, -9);
}

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

bool cHttp::PrepareFile(const char* sourceUrl, const char* localPath, const char* sha256, int64_t size) {
  resume = 1;
  whole_ = false;
  if (!TakeArguments("DownloadFile", sourceUrl, localPath)) return false;
  expectedSha256_[0] = 0;
  if (sha256) std::snprintf(expectedSha256_, sizeof expectedSha256_, "%s", sha256);
  expectedSize_ = size;
  hash_.reset(Verifying() ? new platform::Sha256 : nullptr);
  hashedSize_ = 0;
  started_ = false;
  counted_ = 0;
  CreateSubDirectories(path);
  return true;
}

bool cHttp::SwitchServer(const char* sourceUrl) {
  const std::string localPath = path;
  return TakeArguments("DownloadFile", sourceUrl, localPath.c_str());
}

void cHttp::DownloadFile(const char* sourceUrl, const char* localPath, const char* sha256, int64_t size) {
  // Settles the process-wide limit before the first transfer needs it.
  GetMaxConnections(Host());
  if (PrepareFile(sourceUrl, localPath, sha256, size)) Start();
}

void cHttp::SetLowSpeedWindow(uint32_t milliseconds) {
  lowSpeedWindowMs = milliseconds ? milliseconds : kLowSpeedWindowMs;
}

void cHttp::OnExecute() {
  EndProgramFor(Transfer());
  CloseSession();
}

int64_t cHttp::DownloadResource(const char* sourceUrl, const char* localPath, TransferEnd* end) {
  if (GetMaxConnections(Host()) == 0) return 0;
  resume = 0;
  whole_ = false;
  expectedSha256_[0] = 0;
  expectedSize_ = kUnknownSize;
  if (!TakeArguments("DownloadResource", sourceUrl, localPath)) return 0;
  doneSize = 0;
  startOffset = 0;
  started_ = false;
  counted_ = 0;
  CreateSubDirectories(path);
  running = 1;
  joined = 0;
  const TransferEnd ended = Transfer();
  CloseSession();
  running = 0;
  if (end) {
    *end = ended;
  } else {
    EndProgramFor(ended);
  }
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
  if (limit == 0) {
    host.EndProgram(kConnectionSettingError, -13);
    return 0;
  }
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
  platform::FileStamp stamp;
  return platform::GetFileStamp(localPath, &stamp) && stamp.size > 0 ? stamp.size : 0;
}

void cHttp::CloseRequest() {
  if (requestHandle) {
    net::Close(requestHandle);
    requestHandle = nullptr;
  }
}

void cHttp::CloseSession() {
  // The download manager may take the session out from another thread to
  // break off a blocking call; whoever takes it closes it.
  if (net::Handle session = internetHandle.exchange(nullptr)) net::Close(session);
}

void cHttp::ReleasePass(Pass& pass) {
  pass.file.reset();  // flushed as it closes
  CloseRequest();
  pass.requestedFrom = -1;
}

bool cHttp::EndTransfer(Pass& pass, Passes& passes, TransferEnd end) {
  ReleasePass(pass);
  passes.end = end;
  return false;
}

bool cHttp::Abandon(Pass& pass, Passes& passes, const char* text) {
  Warn(text);
  return EndTransfer(pass, passes, TransferEnd::kFailed);
}

TransferEnd cHttp::Transfer() {
  whole_ = false;
  Passes passes;
  for (;;) {
    Pass pass;
    if (!LearnLength(pass, passes) || !CheckLocalBytes(pass, passes) || !RequestTheRest(pass, passes) ||
        !OpenLocalFile(pass, passes)) {
      return passes.end;
    }
    const BodyEnd end = CopyBody(pass, passes);
    if (end == BodyEnd::kTransferEnded) return passes.end;
    // A file emptied for a fetch from byte 0 has not ended early.
    if (end == BodyEnd::kEarly && !EndPass(pass, passes)) return passes.end;
  }
}

bool cHttp::LearnLength(Pass& pass, Passes& passes) {
  if (resume) {
    startOffset = doneSize = GetLocalFileSize(path);
  } else {
    doneSize = startOffset;
  }
  if (!running) return EndTransfer(pass, passes, TransferEnd::kStopped);
  if (!internetHandle.load()) internetHandle = net::OpenSession(name, &running);
  // One buffer for every pass and file of the transfer's thread: a lane of
  // small files would otherwise allocate a mebibyte for each.
  if (!buffer_) buffer_.reset(new char[kReadBufferSize]);
  pass.buffer = buffer_.get();
  if (expectedSize_ >= 0) {
    pass.total = expectedSize_;
    return true;
  }
  requestHandle = RequestFrom(0);
  pass.requestedFrom = 0;
  const Answer answer = requestHandle ? CheckAnswer(0, 0) : Answer::kNoLength;
  if (answer == Answer::kRefused) return EndTransfer(pass, passes, TransferEnd::kRefused);
  pass.total = answer != Answer::kNoLength ? ResourceLength(pass.buffer, kReadBufferSize) : 0;
  if (pass.total == 0) {
    return EndTransfer(pass, passes, internetHandle.load() && running ? TransferEnd::kUnreachable : TransferEnd::kStopped);
  }
  return true;
}

bool cHttp::CheckLocalBytes(Pass& pass, Passes& passes) {
  // A local file longer than the resource is not a part of it.
  if (startOffset > pass.total) startOffset = doneSize = 0;
  // A file that looks complete counts only once its bytes match: one read
  // of it, before the hooks count it.
  if (Verifying() && startOffset == pass.total) {
    const DiskHash hashed = HashLocalBytes(pass.total, pass.buffer);
    if (hashed == DiskHash::kStopped) return EndTransfer(pass, passes, TransferEnd::kStopped);
    if (hashed == DiskHash::kUnreadable || !DigestMatches()) {
      passes.fetchedAgain = true;
      EmptyLocalFile();
      startOffset = doneSize = 0;
    }
  }
  passes.found = startOffset;
  if (pass.total != startOffset) return true;
  // An empty file is made without asking the server for it.
  if (pass.total == 0 && resume) {
    const platform::OwnedFile made(platform::OpenFile(path, "ab"));
    if (!made) return Abandon(pass, passes, kFileOpenError);
  }
  if (!started_) OnStart(startOffset);
  started_ = true;
  whole_ = true;
  OnFinish(startOffset, doneSize);
  return EndTransfer(pass, passes, TransferEnd::kWhole);
}

bool cHttp::RequestTheRest(Pass& pass, Passes& passes) {
  if (pass.requestedFrom != startOffset) {
    CloseRequest();
    requestHandle = RequestFrom(startOffset);
    pass.requestedFrom = startOffset;
    if (!requestHandle) {
      // What a refused server sends is never read; it counts as unreachable.
      return EndTransfer(pass, passes, running ? TransferEnd::kUnreachable : TransferEnd::kStopped);
    }
    const Answer answer = CheckAnswer(startOffset, pass.total);
    if (answer == Answer::kRefused) return EndTransfer(pass, passes, TransferEnd::kRefused);
    if (answer == Answer::kNoLength) {
      return EndTransfer(pass, passes, running ? TransferEnd::kUnreachable : TransferEnd::kStopped);
    }
    // The server sent the whole resource: the file starts again, rather
    // than getting the whole body appended after the bytes it has.
    if (answer == Answer::kWholeBody) startOffset = doneSize = 0;
  }
  if (!started_) {
    OnStart(passes.found);
    counted_ = passes.found;
    started_ = true;
  }
  // The digest covers the bytes the file keeps before this pass writes.
  if (Verifying()) {
    const DiskHash hashed = HashLocalBytes(startOffset, pass.buffer);
    if (hashed == DiskHash::kStopped) return EndTransfer(pass, passes, TransferEnd::kStopped);
    if (hashed == DiskHash::kUnreadable) {
      // Bytes that cannot be read back cannot be vouched for: written anew.
      startOffset = doneSize = 0;
      hash_.reset(new platform::Sha256);
      hashedSize_ = 0;
    }
  }
  return true;
}

bool cHttp::OpenLocalFile(Pass& pass, Passes& passes) {
  pass.file.reset(platform::OpenFile(path, startOffset != 0 ? "rb+" : "wb+"));
  if (!pass.file) return Abandon(pass, passes, kFileOpenError);
  if (startOffset != 0) platform::SeekFile(pass.file.get(), startOffset, SEEK_SET);
  uint32_t available = 0;
  net::QueryDataAvailable(requestHandle, &available);
  if (available > kReadBufferSize) {
    pass.file.reset();
    Host().EndProgram(kTooMuchAvailable, -4);
    return EndTransfer(pass, passes, TransferEnd::kEnding);
  }
  return true;
}

cHttp::ReadResult cHttp::ReadWithRetries(char* buffer, uint32_t size, uint32_t* bytesRead) {
  bool read = net::Read(requestHandle, buffer, size, bytesRead);
  for (int retry = 0; !read && retry < kReadRetries; ++retry) {
    if (!running) return ReadResult::kStopped;
    platform::SleepMs(kPollMs);
    read = net::Read(requestHandle, buffer, size, bytesRead);
  }
  if (read) return ReadResult::kRead;
  return running ? ReadResult::kFailed : ReadResult::kStopped;
}

bool cHttp::WriteChunk(Pass& pass, uint32_t bytes) {
  // A full disk must not pass for received bytes.
  if (std::fwrite(pass.buffer, 1, bytes, pass.file.get()) != bytes || std::fflush(pass.file.get()) != 0) {
    return false;
  }
  if (Verifying()) {
    hash_->Update(pass.buffer, bytes);
    hashedSize_ += bytes;
  }
  return true;
}

int64_t cHttp::CountChunk(uint32_t bytes) {
  const int64_t end = doneSize + bytes;
  const int64_t fresh = std::max<int64_t>(0, end - std::max(counted_, doneSize));
  if (fresh > 0 || bytes == 0) OnReceived(static_cast<int>(fresh));
  counted_ = std::max(counted_, end);
  doneSize = end;
  return fresh;
}

cHttp::BodyEnd cHttp::CopyBody(Pass& pass, Passes& passes) {
  pass.windowStart = platform::TickCount();
  for (;;) {
    // Takes what has arrived, as much as the speed limit grants: each piece
    // is on disk and counted at once.
    const uint32_t granted = allowance_ ? allowance_->Take(kReadBufferSize, running) : kReadBufferSize;
    if (granted == 0) return Ended(pass, passes, TransferEnd::kStopped);
    uint32_t n = 0;
    const ReadResult read = ReadWithRetries(pass.buffer, granted, &n);
    if (allowance_) allowance_->GiveBack(granted - n);
    if (read == ReadResult::kStopped) return Ended(pass, passes, TransferEnd::kStopped);
    if (read == ReadResult::kFailed) {
      platform::SleepMs(kPollMs);
      Warn(kReadsFailed);
      // The fetch of a document runs on the user-interface thread, which
      // must not wait out one stalled connection after another.
      if (!resume) return Ended(pass, passes, TransferEnd::kFailed);
      n = 0;
    }
    if (n == 0 && running) return BodyEnd::kEarly;
    // More than the file: never written, whatever the server says it sends.
    if (n > pass.total - doneSize) {
      Abandon(pass, passes, kWrongLength);
      passes.end = TransferEnd::kRefused;
      return BodyEnd::kTransferEnded;
    }

    if (!WriteChunk(pass, n)) {
      Abandon(pass, passes, kFileWriteError);
      return BodyEnd::kTransferEnded;
    }
    const int64_t fresh = CountChunk(n);
    if (doneSize >= pass.total && Verifying() && !DigestMatches()) {
      // Other bytes than the manifest's: once more from byte 0, then the
      // run is told the file is missing.
      if (passes.fetchedAgain) return Ended(pass, passes, TransferEnd::kMismatched);
      ReleasePass(pass);
      passes.fetchedAgain = true;
      EmptyLocalFile();
      return BodyEnd::kStartAgain;
    }
    if (doneSize >= pass.total || !running) {
      whole_ = doneSize >= pass.total;
      OnFinish(startOffset, doneSize);
      return Ended(pass, passes, whole_ ? TransferEnd::kWhole : TransferEnd::kStopped);
    }
    // Only bytes past the furthest point reached are progress: a server
    // that sends the same first bytes again and again (a whole body to
    // every range, each cut short) must still run out of early ends.
    pass.fresh += fresh;
    if (TooSlow(pass, n)) return BodyEnd::kEarly;
  }
}

bool cHttp::TooSlow(Pass& pass, uint32_t bytes) {
  const uint32_t now = platform::TickCount();
  pass.windowBytes += bytes;
  if (pass.windowBytes >= kLowSpeedBytes) {
    pass.windowStart = now;
    pass.windowBytes = 0;
    return false;
  }
  pass.tooSlow = now - pass.windowStart >= lowSpeedWindowMs.load();
  return pass.tooSlow;
}

cHttp::BodyEnd cHttp::Ended(Pass& pass, Passes& passes, TransferEnd end) {
  EndTransfer(pass, passes, end);
  return BodyEnd::kTransferEnded;
}

bool cHttp::EndPass(Pass& pass, Passes& passes) {
  // A pass that brought new bytes was progress, unless it brought too few
  // to keep going: those count against the server like an empty one.
  if (pass.fresh > 0 && !pass.tooSlow) passes.earlyEnds = 0;
  if (++passes.earlyEnds >= kEarlyEndsLimit) return EndTransfer(pass, passes, TransferEnd::kEarlyEnds);
  ReleasePass(pass);
  AppendTransferLog(Host().WorkFolder(), __DATE__ " " __TIME__, kEarlyEndLogLine);
  // A document continues after the bytes this fetch has written, as a
  // file continues after the bytes on disk: starting again from byte 0
  // would meet the same early end every time.
  if (!resume) startOffset = doneSize;
  return true;
}
