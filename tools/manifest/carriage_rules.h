#pragma once
// What the downloader can carry in a manifest. Its JSON reader keeps every
// value as raw text, a quoted one up to the first ',' or '}' after a quote,
// and drops blanks and quotes at a value's end; its transfer copies a URL
// into 1023 characters and a path into 255 bytes; it fetches "URL" followed by "Name" percent-encoded, and
// writes the file under the name itself, which Windows must be able to store.

#include <string>
#include <vector>

namespace manifest_tool {

constexpr size_t kMaxNameLength = 255;
constexpr size_t kMaxFileUrlLength = 1023;

// Every reason `name` cannot be carried as a "Name" (empty when it can).
std::vector<std::string> NameProblems(const std::string& name);

// Every reason `url` cannot be carried as the manifest's "URL".
std::vector<std::string> BaseUrlProblems(const std::string& url);

// The reason "URL" followed by `name` (encoded) is too long for a transfer, or "".
std::string FileUrlProblem(const std::string& url, const std::string& name);

// Every problem of publishing `name` under `url`, in one line ("; " between
// them); "" when it can be published.
std::string NameRefusal(const std::string& url, const std::string& name);

// `name` as text for a message: a byte that is no UTF-8 character, or a
// control character, as \xNN.
std::string PrintableName(const std::string& name);

}  // namespace manifest_tool
