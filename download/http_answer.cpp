// cHttp's side of the conversation with the server: the requests it sends and
// what it accepts of the answers.

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "download/content_range.h"
#include "download/http.h"
#include "download/http_pass.h"
#include "platform/message_box.h"

using http_detail::kWrongLength;

namespace {

// Every request asks for a byte range, the first of a transfer from the
// bytes on disk (or from byte 0 to learn the length).
constexpr char kRequestHeaders[] = "Accept-Encoding:*\r\nAccept-Ranges:bytes\r\nRange:bytes=%" PRId64 "-\r\n";
constexpr size_t kHeaderBufferSize = 128;
// Always from the server, and never into the cache: a client of several
// gigabytes must not be stored twice. No cookies: the content server sets
// none, and WinINet keeps its cookies in its URL cache, whose index it locks
// and maps several times for every request (under Wine about thirty calls to
// its server a file).
constexpr uint32_t kUrlFlags = net::kReload | net::kNoCacheWrite | net::kNoCookies;

constexpr char kWrongRange[] = "cHttp::OnExecute :: range error (-7)";
constexpr char kEncodedBody[] = "cHttp::OnExecute :: content encoding error (-8)";
constexpr char kErrorStatusFormat[] = "cHttp::OnExecute :: HTTP status %d (-6)";
// https refusals, told before the server counts as unreachable.
constexpr char kUntrustedIssuer[] = "cHttp::OnExecute :: certificate error: untrusted issuer (-14)";
constexpr char kWrongName[] = "cHttp::OnExecute :: certificate error: wrong name (-15)";
constexpr char kExpired[] = "cHttp::OnExecute :: certificate error: expired (-16)";
constexpr char kBadCertificate[] = "cHttp::OnExecute :: certificate error: secure connection refused (-17)";
constexpr char kRedirectToHttp[] = "cHttp::OnExecute :: redirect from https to http refused (-18)";

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

}  // namespace

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

cHttp::Answer cHttp::CheckAnswer(int64_t offset, int64_t total) {
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
  // Without a Content-Length the server counts as unreachable, as it always
  // did: nothing says where its body ends.
  char length[32];
  if (!net::QueryContentLength(requestHandle, length, sizeof length)) return Answer::kNoLength;
  // What the answer says the whole file is, and how much of it it sends.
  const int64_t sent = std::strtoll(length, nullptr, 10);
  int64_t answered = sent;
  if (status == 206) {
    int64_t start = -1;
    if (!net::QueryHeader(requestHandle, "Content-Range", text, sizeof text) || !RangeStart(text, &start) ||
        start != offset) {
      Warn(kWrongRange);
      return Answer::kRefused;
    }
    if (!RangeTotal(text, &answered)) answered = -1;
  }
  // Another file than the one the manifest describes, or more of it than
  // there is after `offset`: never written. The request that learns the
  // length has no total to hold it to yet.
  if (total > 0 && (answered != total || (status == 206 && sent > total - offset))) {
    Warn(kWrongLength);
    return Answer::kRefused;
  }
  if (status == 200) return offset == 0 ? Answer::kAccepted : Answer::kWholeBody;
  return Answer::kAccepted;
}
