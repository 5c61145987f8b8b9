#include "app/message_texts.h"

#include <gtest/gtest.h>

#include <string>

#include "app/app.h"
#include "json/json.h"

namespace {

struct Case {
  const char* document;
  std::string title;
  std::string question;
};

TEST(MessageTextsTest, TextsComeFromMessageBoxOrTakeTheirDefaults) {
  const std::string longText(200, 'q');
  const Case cases[] = {
      {"{ \"window-title\" : \"x\" }", "tarvik-downloader...", "Are you really going to quit?"},
      {"{ \"message-box\" : { \"exit\" : \"Leave now?\" } }", "tarvik-downloader...", "Leave now?"},
      {"{ \"message-box\" : { \"title\" : \"Client\" } }", "Client", "Are you really going to quit?"},
      {"{ \"message-box\" : { \"title\" : \"Client\", \"exit\" : \"Quit?\" } }", "Client", "Quit?"},
      {"{ \"message-box\" : { \"Title\" : \"Client\" } }", "tarvik-downloader...", "Are you really going to quit?"},
  };
  for (const Case& c : cases) {
    cApp app{};
    cJson document;
    ASSERT_TRUE(document.Parse(c.document));
    ReadMessageBoxTexts(app, document);
    EXPECT_EQ(std::string(app.title), c.title) << c.document;
    EXPECT_EQ(std::string(app.exitQuestion), c.question) << c.document;
  }
}

TEST(MessageTextsTest, LongTextsAreCutAt127Characters) {
  cApp app{};
  cJson document;
  const std::string text = "{ \"message-box\" : { \"title\" : \"" + std::string(200, 't') + "\", \"exit\" : \"" +
                           std::string(200, 'e') + "\" } }";
  ASSERT_TRUE(document.Parse(text.c_str()));
  ReadMessageBoxTexts(app, document);
  EXPECT_EQ(std::string(app.title), std::string(127, 't'));
  EXPECT_EQ(std::string(app.exitQuestion), std::string(127, 'e'));
}

}  // namespace
