#include "download/work_left.h"

#include <cstring>
#include <string>

#include "download/file_list.h"
#include "download/manifest.h"
#include "platform/files.h"
#include "platform/system.h"

int64_t BytesStillToCome(const cFileList& files, const char* folder) {
  std::string path = folder ? folder : "";
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += platform::PathSeparator();
  const size_t folderLength = path.size();
  int64_t left = 0;
  for (int i = 0; i < files.Count(); ++i) {
    const ManifestEntry entry = files.Entry(i);
    if (!entry.hasSize || entry.size <= 0 || !IsSafeRelativeName(entry.name)) continue;
    path.replace(folderLength, std::string::npos, entry.name);
    platform::FileStamp stamp;
    const int64_t onDisk = platform::GetFileStamp(path.c_str(), &stamp) ? stamp.size : 0;
    if (onDisk < entry.size) left += entry.size - onDisk;
  }
  return left;
}
