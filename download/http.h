#pragma once
// cHttp: copies one URL into one local file over HTTP, on its own thread
// (DownloadFile, resuming a partly written file with a byte range), on the
// caller's thread (DownloadResource, from byte 0), or one file after another
// on a lane's thread (Transfer, keeping the session and its connection). It
// reports to whoever derives from it through OnStart, OnReceived and
// OnFinish, and tells the player and writes the transfer log through the host
// that the derived class names (Host).
//
// When a file's length is known beforehand (the manifest's "Size"), its first
// request is the one that fetches it: it asks for the bytes after those on
// disk, and the answer must agree with that length. Without it, a first
// request from byte 0 learns the length, and a second asks for the rest.

#include <atomic>
#include <cstdint>
#include <memory>

#include "download/download_host.h"
#include "download/speed_allowance.h"
#include "download/thread.h"
#include "platform/net.h"
#include "platform/sha256.h"

// How a transfer ended.
enum class TransferEnd {
  kWhole,        // the whole file is on disk (and matched its digest, if it has one)
  kStopped,      // the running flag was cleared: the bytes on disk stay for a resume
  kFailed,       // the local file failed it (or its arguments); the player was told
  kRefused,      // the server's answer was refused (told): another server may serve it
  kMismatched,   // its bytes did not match its digest, fetched again or not
  kUnreachable,  // no answer with a length came from the server (not told yet)
  kEarlyEnds,    // too many early ends in a row, or too slow a body (not told yet)
  kEnding,       // the program is ending: the host was told why
};

// Whether another server might serve the file that ended so.
inline bool IsServerFault(TransferEnd end) {
  return end == TransferEnd::kRefused || end == TransferEnd::kMismatched || end == TransferEnd::kUnreachable ||
         end == TransferEnd::kEarlyEnds;
}

class cHttp : public cThread {
 public:
  // A file's length when the manifest gives none.
  static constexpr int64_t kUnknownSize = -1;

  explicit cHttp(const char* threadName);
  ~cHttp() override;

  // One transfer (DownloadFile), then the session closes.
  void OnExecute() override;
  // After each chunk has been written, with its size (at most 1 MiB).
  virtual void OnReceived(int bytes) = 0;
  // Once per transfer, when the length is known and before any data is read.
  virtual void OnStart(int64_t startOffset);
  // When a transfer ends normally: complete, found complete, or stopped.
  virtual void OnFinish(int64_t startOffset, int64_t doneSize);

  // File mode: resumes after the bytes already in `localPath`; returns at once.
  // With `sha256` (the file's digest, 64 hexadecimal digits) the file counts
  // as whole only once its bytes match it: the transfer hashes the bytes as
  // it writes them (the part already on disk once, first), and a file whose
  // bytes do not match, complete on arrival or found complete, is fetched
  // again from byte 0, once. `size`: the file's length, when known.
  void DownloadFile(const char* sourceUrl, const char* localPath, const char* sha256 = nullptr,
                    int64_t size = kUnknownSize);
  // Resource mode: fetches from byte 0 on the calling thread; returns the
  // number of bytes written, 0 unless the whole resource was fetched. A
  // server that cannot be reached, or that cuts every answer short, ends the
  // program through the host, unless `end` is given: it then says how the
  // fetch ended, and the caller decides (another server may answer).
  int64_t DownloadResource(const char* sourceUrl, const char* localPath, TransferEnd* end = nullptr);

  // File mode on the calling thread, as DownloadFile sets it up: the
  // arguments first (false, after telling the player, when one does not
  // fit), then the transfer, which keeps the session open for the next file.
  bool PrepareFile(const char* sourceUrl, const char* localPath, const char* sha256, int64_t size);
  TransferEnd Transfer();
  // The same file from another server, after a transfer its server failed:
  // what the hooks were told of it stays told.
  bool SwitchServer(const char* sourceUrl);
  // Closes the session; a thread that ran transfers calls it before it ends.
  void CloseSession();
  // Reads take no more than `allowance` grants (null: no limit).
  void SetAllowance(cSpeedAllowance* allowance) { allowance_ = allowance; }
  // Tells the host to end the program for a transfer that ended with
  // kUnreachable or kEarlyEnds, with the box and the exit code of each.
  void EndProgramFor(TransferEnd end);

  // Whether the last transfer ended with the whole file on disk: it reached
  // the resource's full length, or found the file complete. False while it
  // runs, and after a refusal, a failure or a stop. Any thread may ask; the
  // owner of a file-mode transfer asks once it has seen `running` at 0.
  bool IsWhole() const { return whole_; }

  // A body that brings fewer than kLowSpeedBytes in kLowSpeedWindowMs is
  // broken off and resumed, as an early end: a server that sends a byte
  // every few seconds would otherwise hold a transfer for weeks, never
  // reaching the receive timeout. Tests shorten the window (0 restores it).
  static constexpr int64_t kLowSpeedBytes = 1024;
  static constexpr uint32_t kLowSpeedWindowMs = 30000;
  static void SetLowSpeedWindow(uint32_t milliseconds);

  // The number of transfers to run at once; sets the process-wide limit.
  // When the system gives none, `host` is told to end the program, and 0 is
  // returned.
  static int GetMaxConnections(cDownloadHost& host);
  // Creates the folders that `localPath` names before its last component.
  static void CreateSubDirectories(const char* localPath);
  // The size of a local file, 0 when there is none.
  static int64_t GetLocalFileSize(const char* localPath);

  // Taken out with an atomic exchange by whoever closes it (the transfer
  // itself, or the download manager breaking off a blocking call), so that
  // each handle is closed exactly once.
  std::atomic<net::Handle> internetHandle;
  net::Handle requestHandle;
  char url[1024];
  char path[256];
  int resume;
  int64_t startOffset;
  int64_t doneSize;

 protected:
  // Who tells the player about this transfer and keeps its log.
  virtual cDownloadHost& Host() = 0;

 private:
  struct Pass;
  struct Passes;
  enum class Answer { kAccepted, kWholeBody, kRefused, kNoLength };

  // The steps of a pass. Each returns false when the transfer ends there,
  // with the end in `passes`.
  // Measures the local file, opens the session and, when the length is not
  // known, a request from byte 0 to learn it.
  bool LearnLength(Pass& pass, Passes& passes);
  // Weighs the bytes on disk against the length and ends the transfer when
  // the file is complete already (and matches its digest).
  bool CheckLocalBytes(Pass& pass, Passes& passes);
  // Asks for the bytes after those on disk (unless the pass's request does
  // already), checks the answer, tells OnStart on the first pass and brings
  // the digest up to the bytes kept.
  bool RequestTheRest(Pass& pass, Passes& passes);
  // Opens the local file where the pass writes.
  bool OpenLocalFile(Pass& pass, Passes& passes);
  // How a pass's body ended: the transfer with it, early (a new pass
  // resumes), or with a file that starts again from byte 0.
  enum class BodyEnd { kTransferEnded, kEarly, kStartAgain };
  // Copies the body into the file, chunk by chunk, as it arrives.
  BodyEnd CopyBody(Pass& pass, Passes& passes);
  BodyEnd Ended(Pass& pass, Passes& passes, TransferEnd end);
  // Counts a chunk into the low-speed window; true, once a whole window has
  // brought fewer than kLowSpeedBytes, when the body is to be broken off.
  bool TooSlow(Pass& pass, uint32_t bytes);
  // After a body that ended early: true for the next pass, false when too
  // many early ends in a row end the transfer.
  bool EndPass(Pass& pass, Passes& passes);

  // Sends the GET for the bytes from `offset` on over the session.
  net::Handle RequestFrom(int64_t offset);
  enum class ReadResult { kRead, kStopped, kFailed };
  // One read of what has arrived, at most `size` bytes, tried again
  // kReadRetries times while the transfer runs.
  ReadResult ReadWithRetries(char* buffer, uint32_t size, uint32_t* bytesRead);
  // Writes a chunk and adds it to the digest; false, after telling the
  // player, when the disk did not take it.
  bool WriteChunk(Pass& pass, uint32_t bytes);
  // Tells OnReceived about a chunk's bytes past those counted already;
  // returns how many that were.
  int64_t CountChunk(uint32_t bytes);
  void Warn(const char* text);

  // Copies the arguments; false, after telling the player, when one does not
  // fit (a cut URL or path would fetch or write the wrong file).
  bool TakeArguments(const char* operation, const char* sourceUrl, const char* localPath);
  // The resource's full length from the response on requestHandle: the
  // total of a 206's Content-Range (a server may answer a range with part of
  // it), else the Content-Length. 0 when there is no readable Content-Length.
  int64_t ResourceLength(char* buffer, uint32_t capacity);
  // Whether the response on requestHandle may be written at `offset` into a
  // file of `total` bytes: an error status, a compressed body, a range that
  // starts elsewhere or a length other than `total` is refused (the player
  // is told); a whole body where a range was asked for means starting the
  // file again. An answer without a Content-Length is kNoLength.
  Answer CheckAnswer(int64_t offset, int64_t total);
  // Closes the file and the request; the session and the buffer stay.
  void ReleasePass(Pass& pass);
  void CloseRequest();
  // Ends the transfer with `end` in `passes` and releases the pass; false,
  // for the steps to return.
  bool EndTransfer(Pass& pass, Passes& passes, TransferEnd end);
  // Ends a failed transfer: tells the player, releases the pass.
  bool Abandon(Pass& pass, Passes& passes, const char* text);

  // The digest of the bytes written so far, when the file has one to match.
  enum class DiskHash { kHashed, kStopped, kUnreadable };
  bool Verifying() const { return expectedSha256_[0] != 0; }
  // Makes the running digest cover exactly the first `size` bytes of the
  // local file: nothing to do when it does already, else the bytes are read
  // from disk (once), checking `running` between chunks.
  DiskHash HashLocalBytes(int64_t size, char* buffer);
  // Whether the digest of everything hashed matches; starts a new digest.
  bool DigestMatches();
  // Empties the local file for a fetch from byte 0.
  void EmptyLocalFile();

  // Set only where a transfer ends with the whole file; cleared when one
  // begins. Atomic: whoever owns a file-mode transfer reads it from its own
  // thread.
  std::atomic<bool> whole_;
  platform::Sha256Text expectedSha256_;  // "" when the file has no digest
  int64_t expectedSize_;                 // kUnknownSize when the manifest gives none
  std::unique_ptr<platform::Sha256> hash_;
  int64_t hashedSize_;  // the running digest covers bytes [0, hashedSize_)
  // Whether OnStart was told of the file, and the bytes of it the hooks have
  // accounted for (OnStart, then each OnReceived): bytes written again after
  // a restart, or from another server, are not counted twice.
  bool started_;
  int64_t counted_;
  cSpeedAllowance* allowance_;
  std::unique_ptr<char[]> buffer_;  // the read buffer, made by the first pass
};
