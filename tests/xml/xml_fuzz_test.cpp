#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "documents/XmlReader.h"

namespace zolvex {
namespace {

const char* const kSeeds[] = {
    R"(<?xml version="1.0"?><!-- c --><!DOCTYPE x><XMML a="1"><PARAM NAME="n" VALUE="&lt;v&gt;"/>)"
    R"(<BODY><map id="m"><text x="1" y="2" text="t &amp; u">body</text><![CDATA[<no/>]]></map></BODY></XMML>)",
    R"(<a><b x='1' y="2"/><c>text &quot;q&quot;</c><d><e><f/></e></d></a junk>)",
    R"(<menu ID="main"><menuitem text="a" href="exec:x"><menuitem text="-"/></menuitem></menu>)",
    R"(<o a="1" b="" c="3"><p/><?pi x?><q r="s>t"/></o>)",
};

// Mutations that hit the tokeniser's special characters as well as plain damage.
std::string Mutate(std::string text, std::mt19937& random) {
  static const std::string kSpecial = "<>/=\"'?![]-& \t\n\\";
  const int edits = 1 + static_cast<int>(random() % 4);
  for (int i = 0; i < edits && !text.empty(); ++i) {
    const size_t at = random() % text.size();
    switch (random() % 6) {
      case 0:
        text[at] = kSpecial[random() % kSpecial.size()];
        break;
      case 1:
        text.insert(at, 1, kSpecial[random() % kSpecial.size()]);
        break;
      case 2:
        text.erase(at, 1 + random() % 8);
        break;
      case 3:
        text.resize(at);
        break;
      case 4: {
        const size_t length = std::min<size_t>(1 + random() % 24, text.size() - at);
        text.insert(random() % (text.size() + 1), text.substr(at, length));
        break;
      }
      default:
        text[at] = static_cast<char>(random() % 256);
        break;
    }
  }
  return text;
}

// The table of a successful parse describes well-formed spans inside the text.
void CheckTable(const XmlReader& reader) {
  const auto size = static_cast<std::int32_t>(reader.Text().size());
  ASSERT_TRUE(reader.IsWellFormed());
  for (std::int32_t i = 1; i <= reader.ElementCount(); ++i) {
    const ElementEntry& e = reader.Element(i);
    ASSERT_EQ(reader.Text()[static_cast<size_t>(e.start)], '<');
    ASSERT_LT(e.start, e.tagEnd);
    ASSERT_LE(e.tagEnd, e.end);
    ASSERT_LT(e.end, size);
    ASSERT_EQ(reader.Text()[static_cast<size_t>(e.end)], '>');
    ASSERT_GT(e.following, e.end);
    ASSERT_LE(e.following, size);
    ASSERT_LT(e.parent, i);
    if (e.parent > 0) {
      ASSERT_GT(e.start, reader.Element(e.parent).tagEnd);
      ASSERT_LT(e.end, reader.Element(e.parent).contentEnd);
    }
    if (e.nextSibling) {
      ASSERT_GT(reader.Element(e.nextSibling).start, e.end);
    }
  }
}

// Walks the whole document through the cursor interface, reading everything on the way.
void Walk(XmlReader& reader, std::mt19937& random) {
  std::string name, value;
  int steps = 0;
  if (!reader.FindNext({})) return;
  for (;;) {
    if (++steps > 10000) return;
    (void)reader.GetAttribute("a");
    (void)reader.GetContent();
    if (reader.FindChild({})) {
      (void)reader.GetChildMarkup();
      (void)reader.GetChildAttribute("x");
      reader.RewindChildAttributes();
      while (reader.NextChildAttribute(name, value)) {
      }
      ASSERT_TRUE(reader.EnterChild());
      continue;
    }
    if (!reader.LeaveToParent()) break;
  }
  const auto size = static_cast<std::int32_t>(reader.Text().size());
  for (int i = 0; i < 4; ++i) {
    const auto first = static_cast<std::int32_t>(random() % (size + 4)) - 2;
    const auto last = static_cast<std::int32_t>(random() % (size + 4)) - 2;
    (void)reader.DecodeRange(first, last);
  }
}

TEST(XmlReaderFuzz, MutatedInputsNeverBreakTheReader) {
  std::mt19937 random(20261209);
  int parsed = 0;
  int failed = 0;
  XmlReader reader;
  for (int round = 0; round < 20000; ++round) {
    std::string text = kSeeds[round % std::size(kSeeds)];
    const int generations = 1 + round % 3;
    for (int g = 0; g < generations; ++g) text = Mutate(text, random);
    if (reader.Parse(text)) {
      ++parsed;
      ASSERT_NO_FATAL_FAILURE(CheckTable(reader)) << text;
      ASSERT_NO_FATAL_FAILURE(Walk(reader, random)) << text;
    } else {
      ++failed;
      ASSERT_FALSE(reader.IsWellFormed());
      ASSERT_FALSE(reader.FindNext({}));
    }
  }
  // Both paths were exercised.
  EXPECT_GT(parsed, 1000);
  EXPECT_GT(failed, 1000);
}

}  // namespace
}  // namespace zolvex
