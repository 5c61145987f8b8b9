#include "tests/support/message_boxes.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>

#ifdef _WIN32
#include <windows.h>

#include <set>
#else
#include "platform/message_box.h"
#endif

namespace {

std::mutex lock;
std::vector<std::string>* texts = nullptr;

void Record(const char* text, const char* caption) {
  std::fprintf(stderr, "message box [%s] %s\n", caption, text);
  std::fflush(stderr);
  std::lock_guard<std::mutex> guard(lock);
  if (texts) texts->push_back(text);
}

#ifdef _WIN32

// The static control that holds a message box's text.
constexpr int kMessageTextId = 0xFFFF;

std::atomic<bool> watching{false};
std::thread watcher;

struct Scan {
  std::set<HWND>* answered;
};

BOOL CALLBACK VisitWindow(HWND window, LPARAM parameter) {
  auto* scan = reinterpret_cast<Scan*>(parameter);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char className[16] = "";
  GetClassNameA(window, className, sizeof className);
  if (process != GetCurrentProcessId() || std::string(className) != "#32770" || !IsWindowVisible(window)) return TRUE;
  if (!scan->answered->insert(window).second) return TRUE;
  char caption[256] = "";
  char text[4096] = "";
  GetWindowTextA(window, caption, sizeof caption);
  GetDlgItemTextA(window, kMessageTextId, text, sizeof text);
  Record(text, caption);
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return TRUE;
}

void Watch() {
  std::set<HWND> answered;
  while (watching) {
    Scan scan{&answered};
    EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&scan));
    // Forget boxes that are gone, so a new box with a reused handle counts.
    for (auto it = answered.begin(); it != answered.end();) it = IsWindow(*it) ? std::next(it) : answered.erase(it);
    Sleep(5);
  }
}

#else

int Answer(const char* text, const char* caption, unsigned) {
  Record(text, caption);
  return platform::kIdOk;
}

#endif

}  // namespace

cMessageBoxes::cMessageBoxes() {
  {
    std::lock_guard<std::mutex> guard(lock);
    texts = new std::vector<std::string>;
  }
#ifdef _WIN32
  watching = true;
  watcher = std::thread(Watch);
#else
  platform::SetMessageBoxHandler(Answer);
#endif
}

cMessageBoxes::~cMessageBoxes() {
#ifdef _WIN32
  watching = false;
  watcher.join();
#else
  platform::SetMessageBoxHandler(nullptr);
#endif
  std::lock_guard<std::mutex> guard(lock);
  delete texts;
  texts = nullptr;
}

std::vector<std::string> cMessageBoxes::Texts() const {
  std::lock_guard<std::mutex> guard(lock);
  return *texts;
}

int cMessageBoxes::Count(const std::string& text) const {
  const std::vector<std::string> all = Texts();
  return static_cast<int>(std::count(all.begin(), all.end(), text));
}
