#pragma once
// cMessageBoxes: answers the program's message boxes with OK while a test
// runs, and keeps them (text, caption and flags). Each box is also written
// to stderr as "message box [caption] text (flags 0x30)", so a death test can
// match the box its child process showed. It installs the platform's box handler, on
// both platforms: every box of the code under test goes through
// platform::ShowMessageBox.
//
// One at a time; make it before the code under test may show a box.

#include <string>
#include <vector>

struct RecordedBox {
  std::string text;
  std::string caption;
  unsigned flags;
};

class cMessageBoxes {
 public:
  cMessageBoxes();
  ~cMessageBoxes();
  cMessageBoxes(const cMessageBoxes&) = delete;
  cMessageBoxes& operator=(const cMessageBoxes&) = delete;

  // The boxes answered so far, in order.
  std::vector<RecordedBox> Boxes() const;
  // Their texts.
  std::vector<std::string> Texts() const;
  // How many of them are exactly `text`.
  int Count(const std::string& text) const;
};
