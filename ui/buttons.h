#pragma once
// The five buttons of the command row, one command each (see commands.cpp).
// What a command does to the application goes through the button's
// `application` link, which every button of the main window has. Which of
// them accept clicks is the command row's (command_row.h), the first row
// included: the main window shows it once the five exist.

#include "resources/resource_ids.h"
#include "ui/button.h"

// Runs the downloaded game, elevated, and closes the downloader.
class cBtnLaunch : public cButton {
 public:
  cBtnLaunch() : cButton(RESOURCE_PLAY_NORMAL, "Play") {}
  void OnExecute() override;
};

// Checks the free space and starts a download manager.
class cBtnStart : public cButton {
 public:
  cBtnStart() : cButton(RESOURCE_START_NORMAL, "Start") {}
  void OnExecute() override;
};

// Stops the download manager; the files on disk stay for the next Start.
class cBtnPause : public cButton {
 public:
  cBtnPause() : cButton(RESOURCE_PAUSE_NORMAL, "Pause") {}
  void OnExecute() override;
};

// Asks to close the program.
class cBtnCancel : public cButton {
 public:
  cBtnCancel() : cButton(RESOURCE_EXIT_NORMAL, "Exit") {}
  void OnExecute() override;
};

// Start's checks, for Start and the menu's "Verify and repair files" alike:
// the client's size must be known and the whole client fit the download
// folder's drive (else a box owned by `owner`, the main window, says why and
// nothing starts); then the application starts a run, verifying every file
// when `verifyEverything`.
void StartIfThereIsRoom(cApplicationLink& application, HWND owner, bool verifyEverything);

// Lets the player choose the download folder, with a live free-space report.
class cBtnFolder : public cButton {
 public:
  cBtnFolder() : cButton(RESOURCE_FOLDER_NORMAL, "Folder") {}
  void OnExecute() override;
};

// The folder dialog's callback, `data` the application link
// (cApplicationLink*; null: nothing happens): preselects the download folder,
// reports the free space of every selection in the dialog's text that showed
// the marker "_cBtnFolder_", and disables OK for a drive root and for a folder
// with too little or unreadable free space. Returns 0.
int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM lParam, LPARAM data);
