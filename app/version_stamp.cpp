#include "app/version_stamp.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "app/app.h"
#include "json/json.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/owned_file.h"
#include "platform/system.h"

namespace {

// The path of version.txt ("%s\version.txt" of the work folder). False when
// it does not fit: a cut path would name some other file.
bool VersionFilePath(char* buffer, unsigned capacity) {
  // workFolder ends in a separator already; the doubled one is harmless.
  const int length = std::snprintf(buffer, capacity, "%s\\version.txt", theApp->workFolder);
  return length > 0 && static_cast<unsigned>(length) < capacity;
}

// Reads version.txt whole. Returns null when it cannot be opened or read.
std::unique_ptr<char[]> ReadVersionFile() {
  char path[260];
  if (!VersionFilePath(path, sizeof path)) return nullptr;
  platform::OwnedFile file(platform::OpenFile(path, "rb"));
  if (!file) return nullptr;
  if (!platform::SeekFile(file.get(), 0, SEEK_END)) return nullptr;
  const int64_t size = platform::TellFile(file.get());
  // The file holds a version and a path; anything larger is not ours.
  if (size < 0 || size > 65536 || !platform::SeekFile(file.get(), 0, SEEK_SET)) return nullptr;
  std::unique_ptr<char[]> text(new char[size + 1]);
  const size_t read = std::fread(text.get(), 1, static_cast<size_t>(size), file.get());
  text[read] = 0;
  return text;
}

}  // namespace

const char* StoredDownloadFolder(const char* text) {
  const char* lineFeed = std::strchr(text, '\n');
  return lineFeed && lineFeed[1] ? lineFeed + 1 : nullptr;
}

void WriteVersionFile() {
  char path[260];
  if (!VersionFilePath(path, sizeof path)) return;
  platform::OwnedFile file(platform::OpenFile(path, "wb"));
  if (!file) return;
  std::fwrite(theApp->version, 1, std::strlen(theApp->version), file.get());
  std::fputc('\n', file.get());
  std::fwrite(theApp->downloadFolder, 1, std::strlen(theApp->downloadFolder), file.get());
  std::fflush(file.get());
}

bool cApp::CheckVersion(cJson& uxDocument) {
  cJson::Node* versionNode = uxDocument.Find("version");
  if (!versionNode) {
    NotifyUser("cApp::CheckVersion :: version check error(-41)", platform::kMbIconWarning);
    return false;
  }
  // Nothing compares the version; a longer one is only cut in version.txt.
  std::snprintf(version, sizeof version, "%s", versionNode->GetText());

  cJson::Node* useLocal = uxDocument.Find("use-local-resource");
  if (useLocal && std::strcmp(useLocal->GetText(), "true") == 0) {
    if (!resourceFolder) resourceFolder = programFolder;
  } else {
    resourceFolder = workFolder;
  }
  platform::SetCurrentFolder(resourceFolder);

  if (downloadFolder[0]) return true;
  const std::unique_ptr<char[]> stored = ReadVersionFile();
  if (const char* folder = stored ? StoredDownloadFolder(stored.get()) : nullptr) CreateDownloadDirectory(folder);
  return true;
}
