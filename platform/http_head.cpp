#include "platform/http_head.h"

#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace net {
namespace {

bool StartsWithNoCase(const char* text, const char* prefix) {
  return strncasecmp(text, prefix, std::strlen(prefix)) == 0;
}

}  // namespace

bool ParseUrl(const char* url, ParsedUrl* parsed) {
  parsed->secure = StartsWithNoCase(url, "https://");
  if (!parsed->secure && !StartsWithNoCase(url, "http://")) return false;
  parsed->port = parsed->secure ? "443" : "80";
  const char* authority = url + (parsed->secure ? 8 : 7);
  const size_t authorityLength = std::strcspn(authority, "/?#");
  if (authorityLength == 0) return false;
  parsed->hostHeader.assign(authority, authorityLength);
  if (parsed->hostHeader.find('@') != std::string::npos) return false;
  const size_t colon = parsed->hostHeader.rfind(':');
  if (colon != std::string::npos) {
    parsed->host = parsed->hostHeader.substr(0, colon);
    parsed->port = parsed->hostHeader.substr(colon + 1);
    if (parsed->port.empty() || parsed->port.find_first_not_of("0123456789") != std::string::npos) return false;
  } else {
    parsed->host = parsed->hostHeader;
  }
  if (parsed->host.empty()) return false;
  const char* rest = authority + authorityLength;
  parsed->target.assign(rest, std::strcspn(rest, "#"));
  if (parsed->target.empty() || parsed->target[0] != '/') parsed->target.insert(0, "/");
  for (char c : parsed->target) {
    if (static_cast<unsigned char>(c) <= ' ') return false;  // would break the request line
  }
  return true;
}

bool FindHeader(const std::string& head, const char* name, std::string* value) {
  const size_t nameLength = std::strlen(name);
  size_t lineStart = head.find("\r\n");
  while (lineStart != std::string::npos) {
    lineStart += 2;
    size_t lineEnd = head.find("\r\n", lineStart);
    if (lineEnd == std::string::npos) lineEnd = head.size();
    const char* line = head.c_str() + lineStart;
    if (lineEnd - lineStart > nameLength && strncasecmp(line, name, nameLength) == 0 && line[nameLength] == ':') {
      size_t begin = lineStart + nameLength + 1;
      size_t end = lineEnd;
      while (begin < end && (head[begin] == ' ' || head[begin] == '\t')) ++begin;
      while (end > begin && (head[end - 1] == ' ' || head[end - 1] == '\t')) --end;
      value->assign(head, begin, end - begin);
      return true;
    }
    lineStart = lineEnd < head.size() ? lineEnd : std::string::npos;
  }
  return false;
}

bool ParseResponseHead(const std::string& head, ResponseHead* parsed) {
  int major = 0, minor = 0, status = 0;
  if (std::sscanf(head.c_str(), "HTTP/%d.%d %d", &major, &minor, &status) != 3) return false;
  if (status < 200 || status > 999) return false;
  parsed->status = status;
  std::string value;
  const bool hasConnection = FindHeader(head, "Connection", &value);
  parsed->keepsConnection = (major == 1 && minor >= 1) ? !(hasConnection && strcasecmp(value.c_str(), "close") == 0)
                                                        : hasConnection && strcasecmp(value.c_str(), "keep-alive") == 0;
  if (FindHeader(head, "Transfer-Encoding", &value) && strcasecmp(value.c_str(), "identity") != 0) {
    parsed->encodedTransfer = true;
    return true;
  }
  if (status == 204 || status == 304) {
    parsed->lengthKnown = true;
  } else if (FindHeader(head, "Content-Length", &value)) {
    char* end = nullptr;
    const long long length = std::strtoll(value.c_str(), &end, 10);
    if (end == value.c_str() || *end != 0 || length < 0) return false;
    parsed->lengthKnown = true;
    parsed->length = length;
  }
  return true;
}

}  // namespace net
