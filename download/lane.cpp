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

bool cLane::PrepareFrom(int server, const ManifestEntry& entry, bool switching) {
  // Encoded, the name reaches any server; a URL that does not fit is refused
  // by the transfer, which names the entry.
  char fileUrl[2048];
  MakeFileUrl(Owner().Files().Server(server), entry.name, fileUrl, sizeof fileUrl);
  if (switching) return SwitchServer(fileUrl);
  return PrepareFile(fileUrl, entry.name, entry.sha256, entry.hasSize ? entry.size : kUnknownSize);
}

TransferEnd cLane::RunEntry(int index) {
  const ManifestEntry entry = Owner().Files().Entry(index);
  if (!Owner().AcceptEntry(index, entry)) return TransferEnd::kFailed;
  if (!PrepareFrom(server_, entry, false)) return TransferEnd::kFailed;
  if (TakenOnRecord(index, entry)) return TransferEnd::kWhole;
  cVerifiedRecord& record = Owner().Record();
  record.Forget(index);
  int unreachable = 0;
  TransferEnd end = FetchFromServers(entry, &unreachable);
  platform::FileStamp stamp;
  // The file is closed: what the record notes is what was matched.
  if (end == TransferEnd::kWhole && entry.sha256 && platform::GetFileStamp(path, &stamp)) {
    record.Note(index, stamp, entry.sha256);
  }
  if (!IsServerFault(end)) return end;
  const int servers = Owner().Files().ServerCount();
  // No server at all, or the only one cutting every answer short, ends the
  // program; with mirrors a file they all failed is a missing file.
  if (unreachable == servers || (servers == 1 && end == TransferEnd::kEarlyEnds)) {
    EndProgramFor(unreachable == servers ? TransferEnd::kUnreachable : end);
    return TransferEnd::kEnding;
  }
  return end == TransferEnd::kMismatched ? end : TransferEnd::kRefused;
}

TransferEnd cLane::FetchFromServers(const ManifestEntry& entry, int* unreachable) {
  const int servers = Owner().Files().ServerCount();
  TransferEnd end = TransferEnd::kFailed;
  for (int tried = 0; tried < servers && running; ++tried) {
    const int server = (server_ + tried) % servers;
    if (tried > 0 && !PrepareFrom(server, entry, true)) return TransferEnd::kFailed;
    end = Transfer();
    if (end == TransferEnd::kUnreachable) ++*unreachable;
    if (!IsServerFault(end)) {
      if (end == TransferEnd::kWhole) server_ = server;
      return end;
    }
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
