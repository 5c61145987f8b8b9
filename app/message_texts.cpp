#include "app/message_texts.h"

#include <cstdio>

#include "app/app.h"
#include "json/json.h"

namespace {

void CopyText(char* field, size_t capacity, cJson::Node* owner, const char* key, const char* fallback) {
  cJson::Node* value = owner ? owner->Child(key) : nullptr;
  std::snprintf(field, capacity, "%s", value ? value->GetText() : fallback);
}

}  // namespace

void ReadMessageBoxTexts(cApp& app, cJson& uxDocument) {
  cJson::Node* messageBox = uxDocument.Find("message-box");
  CopyText(app.title, sizeof app.title, messageBox, "title", "tarvik-downloader...");
  CopyText(app.exitQuestion, sizeof app.exitQuestion, messageBox, "exit", "Are you really going to quit?");
}
