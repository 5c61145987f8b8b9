#pragma once
// The network seam: the few WinINet calls an HTTP transfer makes. Windows
// uses WinINet itself; Linux has a small HTTP/1.1 client of our own with the
// same behaviour, so the same transfer code runs and is tested on both.
//
// A session (OpenSession) owns the requests opened on it. Closing a session
// from another thread breaks off a call that is blocked on one of its
// requests: the call fails and returns, and every later call on those
// requests fails. The requests must still be closed by their owner; each
// handle is closed exactly once.
//
// No call waits for the server without a limit, and none outlasts a stop by
// more than a moment: every wait (a connect, a send, the response head, body
// bytes) is made in slices of at most kWaitSliceMs. Between two slices the call
// looks at the session's running flag (OpenSession) and fails once it reads
// 0; it fails once the slices add up to the timeout (SetTimeout); and closing
// the session ends it at once. After a failed call every later call on that
// request fails at once.

#include <atomic>
#include <cstdint>

namespace net {

// A number naming one of our session or request records (on Windows each
// wraps a WinINet HINTERNET); null is no handle.
using Handle = void*;

// Flags of OpenUrl (the WinINet values).
enum UrlFlags : uint32_t {
  kReload = 0x80000000u,        // INTERNET_FLAG_RELOAD: fetch from the server, not the cache
  kNoCacheWrite = 0x04000000u,  // INTERNET_FLAG_NO_CACHE_WRITE: keep the response out of the cache
  kNoCookies = 0x00080000u,     // INTERNET_FLAG_NO_COOKIES: neither send nor keep cookies
};

// Process-wide connection options (the WinINet numbers).
enum Option : uint32_t {
  kMaxConnsPerServer = 73,      // INTERNET_OPTION_MAX_CONNS_PER_SERVER
  kMaxConnsPer10Server = 74,    // INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER
};

// 30 seconds without a byte: a server that holds a connection open and sends
// nothing would otherwise stop a transfer for good (WinINet under Wine has no
// receive timeout of its own, and our Linux client none either).
constexpr uint32_t kDefaultTimeoutMs = 30000;

// The longest a wait goes without looking at its running flag: a Pause or an
// Exit takes effect within this, whatever the server does. A quarter of the
// second a stop may take, which leaves room for the rest of the stop (the
// manager joins every transfer) and wakes an idle wait only four times a
// second.
constexpr uint32_t kWaitSliceMs = 250;

// The process-wide limit, in milliseconds, on a connect, a send, and every
// wait for response bytes (the head, QueryDataAvailable, Read). Read when a
// session is opened, so it applies to the sessions opened after the call. 0
// restores the default.
void SetTimeout(uint32_t milliseconds);
uint32_t Timeout();

// InternetOpenA(agent, INTERNET_OPEN_TYPE_PRECONFIG, no proxy, no bypass,
// INTERNET_FLAG_ASYNC), whose waits end within a slice once `*running` is 0
// (a transfer passes its thread's running flag; null: nothing to watch).
// `agent` is sent as the User-Agent. Null on failure.
Handle OpenSession(const char* agent, const std::atomic<int>* running = nullptr);

// InternetOpenUrlA: sends a GET for `url` ("http[s]://host[:port]/path") with the
// extra request headers `headers` ("Name:value\r\n" lines, `headersLength`
// bytes) and returns once the response head has arrived. Null on failure,
// also when the head did not come within the timeout or the session stopped.
// (On Windows the request goes out as InternetOpenUrlA sends it, through
// InternetConnectA, HttpOpenRequestA and HttpSendRequestA.)
Handle OpenUrl(Handle session, const char* url, const char* headers, uint32_t headersLength, uint32_t flags);

// Why the last OpenUrl on `session` gave no request, when the reason was
// one of https's refusals: the server's certificate was not accepted, or an
// https request was redirected to plain http. A certificate is never
// overlooked and an https URL never falls back to http. kNone for every
// other failure (no connection, no answer, a stop) and after a success.
enum class Refusal {
  kNone,
  kUntrustedIssuer,   // no trusted authority vouches for the certificate
  kWrongName,         // the certificate is for another host name
  kExpired,           // outside the certificate's validity dates
  kBadCertificate,    // any other fault of the certificate or the secure channel
  kRedirectToHttp,    // an https request redirected to http
};
Refusal LastRefusal(Handle session);

// The response's status code (200, 206, 404...). False when unknown.
bool QueryStatusCode(Handle request, int* status);

// HttpQueryInfoA(HTTP_QUERY_CONTENT_LENGTH): the Content-Length header's text,
// terminated, into `buffer`. False when the header is missing or does not fit.
bool QueryContentLength(Handle request, char* buffer, uint32_t capacity);

// Any response header's value by `name` (case-insensitive), terminated. False
// when the header is missing or does not fit.
bool QueryHeader(Handle request, const char* name, char* buffer, uint32_t capacity);

// InternetQueryDataAvailable: waits until body data is there or the body has
// ended, then gives the number of bytes that are there (0 at the end). False
// when the connection failed, no byte came within the timeout, or the session
// was stopped or closed.
bool QueryDataAvailable(Handle request, uint32_t* bytes);

// InternetReadFileExA(IRF_NO_WAIT): waits until body bytes are there or the
// body has ended, then takes the bytes that have arrived, at most `size`: a
// read never waits for its buffer to fill, so what arrived before a stall is
// in hand. `*bytesRead` is 0 at the end of the body, also when the server
// ended it early. False when the connection failed, no byte came within the
// timeout, or the session was stopped or closed.
bool Read(Handle request, void* buffer, uint32_t size, uint32_t* bytesRead);

// InternetCloseHandle, for a session or a request.
bool Close(Handle handle);

// InternetSetOptionA / InternetQueryOptionA on the null handle: the process
// defaults. Elsewhere than Windows the options are plain settings.
bool SetOption(Option option, uint32_t value);
bool QueryOption(Option option, uint32_t* value);

}  // namespace net
