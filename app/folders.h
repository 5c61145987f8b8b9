#pragma once
// The folders the application object starts with.

struct cApp;

// programFolder: the executable's folder, with its trailing separator.
// workFolder: the temporary folder + "QzLauncher_Live\" + "zt_kr\", both
// levels created (an existing folder is fine). Should the full path not fit
// the field, the temporary folder itself serves: cutting the path would give
// a folder nobody asked for.
void PrepareFolders(cApp& app);
