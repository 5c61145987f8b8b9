#include "tests/support/message_boxes.h"

#include <algorithm>
#include <cstdio>
#include <mutex>

#include "platform/message_box.h"

namespace {

std::mutex lock;
std::vector<RecordedBox> boxes;

int Answer(const char* text, const char* caption, unsigned flags) {
  std::fprintf(stderr, "message box [%s] %s (flags 0x%x)\n", caption, text, flags);
  std::fflush(stderr);
  std::lock_guard<std::mutex> guard(lock);
  boxes.push_back({text, caption, flags});
  return platform::kIdOk;
}

}  // namespace

cMessageBoxes::cMessageBoxes() {
  {
    std::lock_guard<std::mutex> guard(lock);
    boxes.clear();
  }
  platform::SetMessageBoxHandler(Answer);
}

cMessageBoxes::~cMessageBoxes() { platform::SetMessageBoxHandler(nullptr); }

std::vector<RecordedBox> cMessageBoxes::Boxes() const {
  std::lock_guard<std::mutex> guard(lock);
  return boxes;
}

std::vector<std::string> cMessageBoxes::Texts() const {
  std::vector<std::string> texts;
  for (const RecordedBox& box : Boxes()) texts.push_back(box.text);
  return texts;
}

int cMessageBoxes::Count(const std::string& text) const {
  const std::vector<std::string> all = Texts();
  return static_cast<int>(std::count(all.begin(), all.end(), text));
}
