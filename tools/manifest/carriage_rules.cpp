#include "tools/manifest/carriage_rules.h"

#include <cstdio>
#include <cstring>

#include "download/manifest.h"

namespace manifest_tool {
namespace {

// Characters that end a value or a list in the downloader's JSON reader.
const char kJsonBreakers[] = ",{}]";

// Characters that change what a URL path means ('%' escapes, '?' a query,
// '#' a fragment) or that a request line cannot hold.
const char kUrlBreakers[] = " %?#\"";

std::string Describe(char c) {
  char text[16];
  if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned char>(c));
  } else {
    std::snprintf(text, sizeof text, "'%c'", c);
  }
  return text;
}

// Problems that a name and a URL share: characters the reader or the request
// cannot carry, and what the reader trims from a value's end.
void AddTextProblems(const std::string& text, bool isUrl, std::vector<std::string>& problems) {
  std::string seen;
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    const bool breaksJson = std::strchr(kJsonBreakers, c) != nullptr;
    const bool breaksUrl = std::strchr(kUrlBreakers, c) != nullptr && !(isUrl && c == '%');
    const bool notAscii = byte < 0x20 || byte >= 0x7f;
    if ((breaksJson || breaksUrl || notAscii) && seen.find(c) == std::string::npos) {
      seen += c;
      problems.push_back("holds " + Describe(c) +
                         (breaksJson ? ", which ends a value or a list in the downloader's JSON reader"
                                     : notAscii ? ", which is not printable ASCII"
                                                : ", which a URL cannot carry as it is"));
    }
  }
}

}  // namespace

std::vector<std::string> NameProblems(const std::string& name) {
  std::vector<std::string> problems;
  if (name.empty()) {
    problems.push_back("is empty");
    return problems;
  }
  if (name.size() > kMaxNameLength) {
    problems.push_back("is " + std::to_string(name.size()) + " characters long; a transfer holds at most " +
                       std::to_string(kMaxNameLength));
  }
  AddTextProblems(name, false, problems);
  if (name.find('\\') != std::string::npos) {
    problems.push_back("holds '\\', which Windows reads as a folder separator");
  }
  if (!IsSafeRelativeName(name.c_str())) {
    problems.push_back("is not a plain relative path inside the client folder");
  }
  return problems;
}

std::vector<std::string> BaseUrlProblems(const std::string& url) {
  std::vector<std::string> problems;
  if (url.empty() || url.back() != '/') problems.push_back("does not end with '/'");
  if (url.compare(0, 7, "http://") != 0 && url.compare(0, 8, "https://") != 0) {
    problems.push_back("does not begin with \"http://\" or \"https://\"");
  }
  AddTextProblems(url, true, problems);
  return problems;
}

std::string FileUrlProblem(const std::string& url, const std::string& name) {
  const size_t length = url.size() + name.size();
  if (length <= kMaxFileUrlLength) return "";
  return "URL and name together are " + std::to_string(length) + " characters long; a transfer holds at most " +
         std::to_string(kMaxFileUrlLength);
}

}  // namespace manifest_tool
