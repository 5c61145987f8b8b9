#include "download/name_rules.h"

#include <cstring>
#include <initializer_list>

#include "platform/wide_text.h"

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameLetters(const char* begin, const char* end, const char* word) {
  const size_t length = std::strlen(word);
  if (static_cast<size_t>(end - begin) != length) return false;
  for (size_t i = 0; i < length; ++i) {
    if (Upper(begin[i]) != word[i]) return false;
  }
  return true;
}

}  // namespace

namespace {

class cFindings {
 public:
  cFindings(NameFinding* findings, size_t capacity) : findings_(findings), capacity_(capacity), count_(0) {}

  void Add(NameFault fault, size_t at, size_t length) {
    if (count_ < capacity_) findings_[count_] = {fault, at, length};
    ++count_;
  }

  // Whether the same character was found for the same fault before.
  bool Seen(const char* name, NameFault fault, size_t at, size_t length) const {
    for (size_t i = 0; i < count_ && i < capacity_; ++i) {
      const NameFinding& f = findings_[i];
      if (f.fault == fault && f.length == length && std::memcmp(name + f.at, name + at, length) == 0) return true;
    }
    return false;
  }

  size_t Count() const { return count_; }

 private:
  NameFinding* findings_;
  size_t capacity_;
  size_t count_;
};

}  // namespace

bool IsDotsOnly(const char* begin, const char* end) {
  bool hasDots = false;
  for (const char* c = begin; c != end; ++c) {
    if (*c == '.') {
      hasDots = true;
    } else if (*c != ' ') {
      return false;
    }
  }
  return hasDots && end - begin >= 2;
}

bool IsDeviceName(const char* begin, const char* end) {
  // The device is the part before the first dot, blanks before it dropped.
  const char* stem = begin;
  while (stem != end && *stem != '.') ++stem;
  while (stem != begin && stem[-1] == ' ') --stem;
  for (const char* word : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
    if (SameLetters(begin, stem, word)) return true;
  }
  if (stem - begin < 4 || !(SameLetters(begin, begin + 3, "COM") || SameLetters(begin, begin + 3, "LPT"))) {
    return false;
  }
  const char* number = begin + 3;
  if (stem - number == 1) return *number >= '0' && *number <= '9';
  // The superscripts one, two and three count as digits too.
  return stem - number == 2 && static_cast<unsigned char>(number[0]) == 0xC2 &&
         (static_cast<unsigned char>(number[1]) == 0xB9 || static_cast<unsigned char>(number[1]) == 0xB2 ||
          static_cast<unsigned char>(number[1]) == 0xB3);
}

size_t FindNameFaults(const char* name, NameFinding* findings, size_t capacity) {
  cFindings found(findings, capacity);
  if (!name || !*name) {
    found.Add(NameFault::kEmpty, 0, 0);
    return found.Count();
  }
  if (IsSeparator(name[0])) found.Add(NameFault::kLeadingSeparator, 0, 1);
  const char* component = name;
  for (const char* c = name;;) {
    if (*c == 0 || IsSeparator(*c)) {
      const size_t at = static_cast<size_t>(component - name), length = static_cast<size_t>(c - component);
      if (IsDotsOnly(component, c)) {
        found.Add(NameFault::kDotsOnly, at, length);
      } else if (IsDeviceName(component, c)) {
        found.Add(NameFault::kDeviceName, at, length);
      } else if (length > 0 && (c[-1] == '.' || c[-1] == ' ')) {
        found.Add(NameFault::kTrailingDotOrSpace, at, length);
      }
      if (*c == 0) break;
      if (*c == '\\' && !found.Seen(name, NameFault::kBackslash, c - name, 1)) {
        found.Add(NameFault::kBackslash, c - name, 1);
      }
      component = ++c;
      continue;
    }
    const unsigned char byte = static_cast<unsigned char>(*c);
    const size_t at = static_cast<size_t>(c - name);
    size_t length = Utf8SequenceLength(reinterpret_cast<const unsigned char*>(c));
    NameFault fault = NameFault::kEmpty;  // none
    if (length == 0) {
      length = 1;
      fault = NameFault::kNotUtf8;
    } else if (byte < 0x20 || byte == 0x7F) {
      fault = NameFault::kControlCharacter;
    } else if (std::strchr("<>:\"|?*", *c)) {
      fault = NameFault::kReservedCharacter;
    }
    if (fault != NameFault::kEmpty && !found.Seen(name, fault, at, length)) found.Add(fault, at, length);
    c += length;
  }
  return found.Count();
}
