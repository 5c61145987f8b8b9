#pragma once
// Inside cHttp: what one pass of a transfer owns, what its passes carry from
// one to the next, and the sizes they share. For download/http*.cpp only.

#include <cstdint>

#include "download/http.h"
#include "platform/owned_file.h"

namespace http_detail {

// One buffer per pass: it also receives the length header, and bounds one
// read and the first report of available data.
constexpr uint32_t kReadBufferSize = 0x100000;

// An answer or a body whose length is not the file's: the bytes are not
// written.
constexpr char kWrongLength[] = "cHttp::OnExecute :: length error (-10)";

}  // namespace http_detail

// What one pass owns and learns: the local file and the resource's full
// length; it reads into the transfer's buffer.
struct cHttp::Pass {
  char* buffer = nullptr;
  platform::OwnedFile file;
  int64_t total = 0;
  // The offset the pass's open request asks from; -1 when it has none.
  int64_t requestedFrom = -1;
  // Bytes past the furthest point reached that the pass brought: progress.
  int64_t fresh = 0;
  // The low-speed window: when it began, and the bytes that came since.
  uint32_t windowStart = 0;
  int64_t windowBytes = 0;
  // The body was broken off for bringing too little.
  bool tooSlow = false;
};

// What the passes of one transfer carry from one to the next.
struct cHttp::Passes {
  TransferEnd end = TransferEnd::kFailed;
  int earlyEnds = 0;  // consecutive early ends of the response
  // A file whose bytes did not match its digest is fetched again once.
  bool fetchedAgain = false;
  // The bytes found on disk before the answer may have made the file start
  // again: what OnStart is told.
  int64_t found = 0;
};
