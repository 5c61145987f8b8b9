#include "download/lane.h"

#include "download/file_list.h"
#include "download/file_url.h"
#include "download/manager.h"
#include "download/verified_record.h"
#include "platform/files.h"

void cLane::OnExecute() {
  int index = 0;
  while (running && Owner().TakeEntry(&index)) {
    const TransferEnd end = RunEntry(index);
    Owner().OnEntryEnded(index, end);
    if (end == TransferEnd::kEnding) break;
  }
  CloseSession();
}

TransferEnd cLane::RunEntry(int index) {
  const ManifestEntry entry = Owner().Files().Entry(index);
  if (!Owner().AcceptEntry(index, entry)) return TransferEnd::kFailed;
  // Encoded, the name reaches any server; a URL that does not fit is refused
  // by the transfer, which names the entry.
  char fileUrl[2048];
  MakeFileUrl(Owner().Files().BaseUrl(), entry.name, fileUrl, sizeof fileUrl);
  const int64_t size = entry.hasSize ? entry.size : kUnknownSize;
  if (!PrepareFile(fileUrl, entry.name, entry.sha256, size)) return TransferEnd::kFailed;
  if (TakenOnRecord(index, entry)) return TransferEnd::kWhole;
  cVerifiedRecord& record = Owner().Record();
  record.Forget(index);
  TransferEnd end = Transfer();
  platform::FileStamp stamp;
  // The file is closed: what the record notes is what was matched.
  if (end == TransferEnd::kWhole && entry.sha256 && platform::GetFileStamp(path, &stamp)) {
    record.Note(index, stamp, entry.sha256);
  }
  if (end == TransferEnd::kUnreachable || end == TransferEnd::kEarlyEnds) {
    EndProgramFor(end);
    end = TransferEnd::kEnding;
  }
  return end;
}

bool cLane::TakenOnRecord(int index, const ManifestEntry& entry) {
  platform::FileStamp stamp;
  if (Owner().VerifiesEverything() || !entry.sha256 || !entry.hasSize || !platform::GetFileStamp(path, &stamp) ||
      stamp.size != entry.size || !Owner().Record().Vouches(index, stamp, entry.sha256)) {
    return false;
  }
  OnStart(entry.size);
  OnFinish(entry.size, entry.size);
  return true;
}
