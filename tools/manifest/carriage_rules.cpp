#include "tools/manifest/carriage_rules.h"

#include <cstdio>
#include <cstring>

#include "download/file_url.h"
#include "download/name_rules.h"
#include "platform/wide_text.h"

namespace manifest_tool {
namespace {

// Characters that end an unquoted value in the downloader's JSON reader; a
// name, always quoted, may hold them.
const char kJsonBreakers[] = ",}";

// Characters that change what a base URL means ('?' a query, '#' a
// fragment) or that a URL path or a request line cannot hold. Names are
// encoded.
const char kUrlBreakers[] = " ?#\"{]";

// A character as the operator reads it: itself, in quotes, or its byte in
// hexadecimal when it cannot be shown.
std::string Describe(const std::string& text, size_t at, size_t length) {
  const unsigned char byte = static_cast<unsigned char>(text[at]);
  if (length == 1 && (byte < 0x20 || byte >= 0x7f)) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", byte);
    return hex;
  }
  return "'" + text.substr(at, length) + "'";
}

std::string DescribeFault(const std::string& name, const NameFinding& finding) {
  const std::string part = name.substr(finding.at, finding.length);
  switch (finding.fault) {
    case NameFault::kEmpty:
      return "is empty";
    case NameFault::kLeadingSeparator:
      return "begins with a separator: it is not a relative path inside the client folder";
    case NameFault::kDotsOnly:
      return "holds \"" + part + "\", which leaves the client folder";
    case NameFault::kDeviceName:
      return "holds \"" + part + "\", a device name that Windows does not store as a file";
    case NameFault::kTrailingDotOrSpace:
      return "holds \"" + part + "\", which ends in " + Describe(name, finding.at + finding.length - 1, 1) +
             " that Windows drops";
    case NameFault::kReservedCharacter:
      return "holds " + Describe(name, finding.at, finding.length) + ", which Windows cannot store in a name";
    case NameFault::kBackslash:
      return "holds '\\', which Windows reads as a folder separator";
    case NameFault::kControlCharacter:
      return "holds " + Describe(name, finding.at, finding.length) + ", a control character";
    case NameFault::kNotUtf8:
      return "holds the byte " + Describe(name, finding.at, 1) + ", which is not UTF-8";
  }
  return "";
}

void AddBreakers(const std::string& text, const char* breakers, const char* why, std::vector<std::string>& problems) {
  std::string seen;
  for (char c : text) {
    if (std::strchr(breakers, c) && seen.find(c) == std::string::npos) {
      seen += c;
      problems.push_back("holds '" + std::string(1, c) + "', " + why);
    }
  }
}

}  // namespace

std::string PrintableName(const std::string& name) {
  std::string text;
  for (size_t at = 0; at < name.size();) {
    const unsigned char* c = reinterpret_cast<const unsigned char*>(name.c_str()) + at;
    const size_t length = *c ? Utf8SequenceLength(c) : 0;
    if (length == 0 || *c < 0x20 || *c == 0x7f) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", *c);
      text += hex;
      ++at;
    } else {
      text.append(name, at, length);
      at += length;
    }
  }
  return text;
}

namespace {

std::string Joined(const std::vector<std::string>& problems) {
  std::string line;
  for (const std::string& problem : problems) line += (line.empty() ? "" : "; ") + problem;
  return line;
}

}  // namespace

std::vector<std::string> NameProblems(const std::string& name) {
  std::vector<std::string> problems;
  NameFinding findings[16];
  const size_t count = FindNameFaults(name.c_str(), findings, 16);
  if (name.size() > kMaxNameLength) {
    problems.push_back("is " + std::to_string(name.size()) + " bytes long; a transfer holds at most " +
                       std::to_string(kMaxNameLength));
  }
  if (name.find('\0') != std::string::npos) problems.push_back("holds 0x00, a control character");
  for (size_t i = 0; i < count && i < 16; ++i) problems.push_back(DescribeFault(name, findings[i]));
  if (count > 16) problems.push_back("and more");
  return problems;
}

std::vector<std::string> BaseUrlProblems(const std::string& url) {
  std::vector<std::string> problems;
  if (url.empty() || url.back() != '/') problems.push_back("does not end with '/'");
  if (url.compare(0, 7, "http://") != 0 && url.compare(0, 8, "https://") != 0) {
    problems.push_back("does not begin with \"http://\" or \"https://\"");
  }
  AddBreakers(url, kJsonBreakers, "which ends a value in the downloader's JSON reader", problems);
  AddBreakers(url, kUrlBreakers, "which a URL cannot carry as it is", problems);
  std::string seen;
  for (char c : url) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 || byte >= 0x7f) && seen.find(c) == std::string::npos) {
      seen += c;
      problems.push_back("holds " + Describe(std::string(1, c), 0, 1) + ", which is not printable ASCII");
    }
  }
  return problems;
}

std::string FileUrlProblem(const std::string& url, const std::string& name) {
  const size_t length = url.size() + EncodedNameLength(name.c_str());
  if (length <= kMaxFileUrlLength) return "";
  return "URL and name together are " + std::to_string(length) +
         " characters long once the name is encoded; a transfer holds at most " + std::to_string(kMaxFileUrlLength);
}

std::string NameRefusal(const std::string& url, const std::string& name) {
  std::vector<std::string> problems = NameProblems(name);
  const std::string tooLong = FileUrlProblem(url, name);
  if (!tooLong.empty()) problems.push_back(tooLong);
  return Joined(problems);
}

}  // namespace manifest_tool
