#pragma once
// cMessageBoxes: answers the program's message boxes with OK while a test
// runs, and keeps their texts. Each text is also written to stderr as
// "message box [caption] text", on both platforms, so a death test can match
// the box its child process showed.
//
// On Linux it installs the platform's box handler. On Windows the boxes are
// real: a watcher thread finds this process's dialog boxes, reads their text
// like any other program could, and presses OK.
//
// One at a time; make it before the code under test may show a box.

#include <string>
#include <vector>

class cMessageBoxes {
 public:
  cMessageBoxes();
  ~cMessageBoxes();
  cMessageBoxes(const cMessageBoxes&) = delete;
  cMessageBoxes& operator=(const cMessageBoxes&) = delete;

  // The texts of the boxes answered so far, in order.
  std::vector<std::string> Texts() const;
  // How many of them are exactly `text`.
  int Count(const std::string& text) const;
};
