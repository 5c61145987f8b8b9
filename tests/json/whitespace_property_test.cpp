// Property: white space (space, tab, CR, LF) between the tokens of a document
// never changes the tree it builds. Documents are generated at random in the
// reader's accepted form, and the shipped UX documents and a manifest are
// re-spaced; a fixed seed keeps every run the same.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "json/json.h"
#include "json_test_util.h"
#include "manifest_maker.h"

namespace {

struct Model {
  enum Type { kScalar, kObject, kArray } type = kScalar;
  std::string text;                              // kScalar
  bool quoted = true;                            // kScalar
  std::vector<std::pair<std::string, Model>> members;  // kObject
  std::vector<Model> elements;                   // kArray: flat objects
};

class Generator {
 public:
  explicit Generator(uint32_t seed) : rng_(seed) {}

  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(rng_() % n); }

  // Zero to four white-space characters.
  std::string Space() {
    static const char kSpace[] = {' ', '\t', '\r', '\n'};
    std::string space;
    for (uint32_t n = Below(5); n > 0; --n) space += kSpace[Below(4)];
    return space;
  }

  Model Object(int depth, bool isRoot, bool flat) {
    Model object;
    object.type = Model::kObject;
    const uint32_t count = 1 + Below(5);
    for (uint32_t i = 0; i < count; ++i) {
      const bool last = i + 1 == count;
      Model value;
      const uint32_t pick = Below(10);
      if (!flat && depth < 4 && pick < 2) {
        value = Object(depth + 1, false, false);
      } else if (!flat && (isRoot || !last) && pick == 2) {
        value.type = Model::kArray;
        for (uint32_t e = 1 + Below(3); e > 0; --e) value.elements.push_back(Object(depth + 1, false, true));
      } else {
        value = Scalar();
      }
      object.members.emplace_back("m" + std::to_string(i) + Key(), value);
    }
    return object;
  }

  // The text of `model` with random white space between all tokens.
  std::string Text(const Model& model) {
    switch (model.type) {
      case Model::kScalar:
        return model.quoted ? "\"" + model.text + "\"" : model.text;
      case Model::kArray: {
        std::string text = "[" + Space();
        for (size_t i = 0; i < model.elements.size(); ++i) {
          if (i) text += "," + Space();
          text += Text(model.elements[i]) + Space();
        }
        return text + "]";
      }
      case Model::kObject: {
        std::string text = "{" + Space();
        for (size_t i = 0; i < model.members.size(); ++i) {
          if (i) text += "," + Space();
          text += "\"" + model.members[i].first + "\"" + Space() + ":" + Space();
          text += Text(model.members[i].second) + Space();
        }
        return text + "}";
      }
    }
    return "";
  }

  // Picks quoting at random where both forms read the same.
  void Requote(Model* model) {
    if (model->type == Model::kScalar) {
      const std::string& t = model->text;
      const bool bare = !t.empty() && t.front() != ' ' && t.front() != '\t' && t.front() != '"' &&
                        t.front() != '{' && t.front() != '[';
      model->quoted = !bare || Below(2) == 0;
    }
    for (auto& member : model->members) Requote(&member.second);
    for (Model& element : model->elements) Requote(&element);
  }

 private:
  std::string Key() {
    static const char kKeyChars[] = "abcdefghijklmnopqrstuvwxyz-_ABCXYZ0123456789";
    std::string key;
    for (uint32_t n = Below(8); n > 0; --n) key += kKeyChars[Below(sizeof kKeyChars - 1)];
    return key;
  }

  Model Scalar() {
    static const char* const kWords[] = {"true", "false", "null", "0", "-12", "3.25", "0x33FFff", "4294967296"};
    // No ',' or '}', and nothing that array elements may not hold ('{', ']').
    static const char kChars[] = "abcXYZ019 ./\\:-_\"'()!";
    Model scalar;
    if (Below(3) == 0) {
      scalar.text = kWords[Below(sizeof kWords / sizeof kWords[0])];
      scalar.quoted = Below(2) == 0;
      return scalar;
    }
    const uint32_t length = Below(24);
    for (uint32_t i = 0; i < length; ++i) scalar.text += kChars[Below(sizeof kChars - 1)];
    // A quoted value loses trailing white space and quotes.
    while (!scalar.text.empty() && (scalar.text.back() == ' ' || scalar.text.back() == '"')) scalar.text.pop_back();
    scalar.quoted = true;
    return scalar;
  }

  std::mt19937 rng_;
};

std::string ExpectedDump(const Model& model) {
  switch (model.type) {
    case Model::kScalar:
      return "\"" + model.text + "\"";
    case Model::kArray: {
      std::string text = "[";
      for (size_t i = 0; i < model.elements.size(); ++i) text += (i ? "," : "") + ExpectedDump(model.elements[i]);
      return text + "]";
    }
    case Model::kObject: {
      std::string text = "{";
      for (size_t i = 0; i < model.members.size(); ++i) {
        text += (i ? "," : "") + model.members[i].first + ":" + ExpectedDump(model.members[i].second);
      }
      return text + "}";
    }
  }
  return "";
}

// The model of a parsed tree (values, objects and object arrays only).
Model ModelOf(cJson::Node* node) {
  Model model;
  if (node->kind == cJson::Node::eJsonValue) {
    model.text = node->GetText();
  } else if (node->kind == cJson::Node::eJsonNodes) {
    model.type = Model::kArray;
    auto* array = static_cast<JsonNodes*>(node);
    for (int32_t i = 0; i < array->count; ++i) model.elements.push_back(ModelOf(&array->elements[i]));
  } else {
    model.type = Model::kObject;
    std::vector<MemberEntry*> entries;
    for (MemberEntry* e = static_cast<JsonNode*>(node)->members.newest; e; e = e->older) entries.push_back(e);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
      model.members.emplace_back((*it)->key, ModelOf((*it)->node));
    }
  }
  return model;
}

TEST(WhiteSpaceProperty, RandomDocumentsBuildTheSameTreeHoweverSpaced) {
  Generator generator(20190422u);
  for (int iteration = 0; iteration < 3000; ++iteration) {
    const Model document = generator.Object(1, true, false);
    const std::string expected = ExpectedDump(document);
    const std::string text = generator.Space() + generator.Text(document) + generator.Space();
    const std::string tree = json_test::ParseAndDump(text);
    ASSERT_EQ(tree, expected) << "iteration " << iteration << "\ntext:\n" << text;
  }
}

TEST(WhiteSpaceProperty, ShippedDocumentsBuildTheSameTreeHoweverSpaced) {
  cJson manifest;
  ASSERT_TRUE(manifest.Parse(json_test::MakeManifest(40).c_str()));
  cJson ux104, ux103, ux105;
  ASSERT_TRUE(ux104.LoadEmbedded(104));
  ASSERT_TRUE(ux103.LoadEmbedded(103));
  ASSERT_TRUE(ux105.LoadEmbedded(105));

  Generator generator(1642u);
  for (cJson* document : {&manifest, &ux104, &ux103, &ux105}) {
    const std::string original = json_test::Dump(*document);
    Model model = ModelOf(document->root);
    ASSERT_EQ(ExpectedDump(model), original);
    for (int iteration = 0; iteration < 200; ++iteration) {
      generator.Requote(&model);
      const std::string text = generator.Space() + generator.Text(model) + generator.Space();
      ASSERT_EQ(json_test::ParseAndDump(text), original) << "iteration " << iteration << "\ntext:\n" << text;
    }
  }
}

}  // namespace
