#pragma once
// The bytes a download into a folder still has to bring: each listed file's
// "Size" less what of it is on disk there already, never below zero. Start
// weighs a folder's free space against it, not against the whole client: a
// player with 45 of 50 GB on disk and 8 GB free can finish. One query of the
// system per listed file, no file opened.

#include <cstdint>

class cFileList;

// Entries without a "Size", and names that would leave the folder, count
// nothing: the run refuses them anyway.
int64_t BytesStillToCome(const cFileList& files, const char* folder);
