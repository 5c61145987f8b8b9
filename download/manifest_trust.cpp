#include "download/manifest_trust.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "json/json.h"
#include "platform/files.h"
#include "platform/manifest_keys.h"
#include "platform/signature.h"

namespace {

// Days from 1970-01-01 to the given day of the proleptic Gregorian calendar.
long long DaysFromCivil(long long year, unsigned month, unsigned day) {
  year -= month <= 2;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<long long>(dayOfEra) - 719468;
}

bool Digits(const char* text, int count, unsigned* value) {
  *value = 0;
  for (int i = 0; i < count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    *value = *value * 10 + static_cast<unsigned>(text[i] - '0');
  }
  return true;
}

ManifestCheck Checked(ManifestTrust trust) {
  ManifestCheck check{trust, false, ""};
  return check;
}

}  // namespace

bool ParseUtcTime(const char* text, long long* seconds) {
  unsigned year, month, day, hour, minute, second;
  if (std::strlen(text) != 20 || !Digits(text, 4, &year) || text[4] != '-' || !Digits(text + 5, 2, &month) ||
      text[7] != '-' || !Digits(text + 8, 2, &day) || text[10] != 'T' || !Digits(text + 11, 2, &hour) ||
      text[13] != ':' || !Digits(text + 14, 2, &minute) || text[16] != ':' || !Digits(text + 17, 2, &second) ||
      text[19] != 'Z') {
    return false;
  }
  static const unsigned kDaysIn[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (month < 1 || month > 12 || day < 1 || day > kDaysIn[month - 1] || (month == 2 && day == 29 && !leap) ||
      hour > 23 || minute > 59 || second > 59) {
    return false;
  }
  *seconds = DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
  return true;
}

ManifestCheck CheckManifest(const char* path, cJson& manifest) {
  manifest.Release();
  std::string bytes;
  if (!platform::ReadFileUpTo(path, SIZE_MAX, &bytes)) return Checked(ManifestTrust::kUnreadable);
  if (platform::ManifestSignaturesRequired()) {
    std::string signature;
    // One byte more than a signature: a longer file is none, however long.
    if (!platform::ReadFileUpTo((std::string(path) + ".sig").c_str(), platform::kP256SignatureSize + 1, &signature) ||
        signature.size() != platform::kP256SignatureSize) {
      return Checked(ManifestTrust::kNoSignature);
    }
    if (!platform::SignedByManifestKey(bytes.data(), bytes.size(),
                                       reinterpret_cast<const unsigned char*>(signature.data()))) {
      return Checked(ManifestTrust::kForged);
    }
  }
  ManifestCheck check = Checked(ManifestTrust::kTrusted);
  check.isObject = manifest.Parse(bytes.c_str());
  cJson::Node* expires = check.isObject ? manifest.Find("Expires") : nullptr;
  if (expires) {
    std::snprintf(check.expires, sizeof check.expires, "%s", expires->GetText());
    long long until = 0;
    if (!ParseUtcTime(check.expires, &until)) {
      check.trust = ManifestTrust::kBadExpiry;
    } else if (static_cast<long long>(std::time(nullptr)) >= until) {
      check.trust = ManifestTrust::kExpired;
    }
  }
  return check;
}

void DescribeManifestCheck(const ManifestCheck& check, const char* name, char* text, size_t capacity) {
  switch (check.trust) {
    case ManifestTrust::kTrusted:
      std::snprintf(text, capacity, "%s is signed", name);
      break;
    case ManifestTrust::kUnreadable:
      std::snprintf(text, capacity, "%s cannot be read", name);
      break;
    case ManifestTrust::kNoSignature:
      std::snprintf(text, capacity, "the signature %s.sig is missing or damaged", name);
      break;
    case ManifestTrust::kForged:
      std::snprintf(text, capacity, "%s does not match its signature %s.sig", name, name);
      break;
    case ManifestTrust::kExpired:
      std::snprintf(text, capacity, "%s expired at %.31s (its \"Expires\", covered by its signature %s.sig)", name,
                    check.expires, name);
      break;
    case ManifestTrust::kBadExpiry:
      std::snprintf(text, capacity,
                    "%s has an \"Expires\", \"%.31s\", that is not a UTC time like 2027-03-01T00:00:00Z", name,
                    check.expires);
      break;
  }
}
