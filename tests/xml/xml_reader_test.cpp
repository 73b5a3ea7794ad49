#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "documents/XmlReader.h"

namespace zolvex {
namespace {

struct BrokenInput {
  const char* text;
  const char* error;
};

TEST(XmlReader, BrokenInputsFailWithTheirMessage) {
  const BrokenInput cases[] = {
      {"plain text without markup", "Element tag not found"},
      {"<a>", "Element tag not found"},
      {"<a><b/>", "Element tag not found"},
      {"<a v=\"x>y\"/>", "Element tag not found"},
      {"<a", "Abrupt end within tag"},
      {"<a></", "Abrupt end within tag"},
      {"<\"a\"/>", "Tag starts with quote"},
      {"<a x=\"1\"", "End of tag not found"},
      {"<!-- never closed <a/>", "End of tag not found"},
      {"<?xml version=\"1.0\" <a/>", "End of tag not found"},
      {"<a><![CDATA[ x ]]</a>", "End of tag not found"},
      {"<a><b></B></a>", "End tag does not correspond to b"},
      {"<XMML></xmml>", "End tag does not correspond to XMML"},
      {"<a></>", "End tag does not correspond to a"},
      {"<a></a", "End tag not completed for element a"},
      {"<a></a junk", "End tag not completed for element a"},
      {"<a><b></b></a \"", "End tag not completed for element a"},
  };
  for (const BrokenInput& c : cases) {
    XmlReader reader;
    EXPECT_FALSE(reader.Parse(c.text)) << c.text;
    EXPECT_EQ(reader.GetErrorText(), c.error) << c.text;
    EXPECT_FALSE(reader.IsWellFormed()) << c.text;
    EXPECT_FALSE(reader.FindNext({})) << c.text;
    EXPECT_FALSE(reader.FindChild({})) << c.text;
    EXPECT_EQ(reader.ElementCount(), 0) << c.text;
  }
}

TEST(XmlReader, EmptyTextFailsWithoutMessage) {
  XmlReader reader;
  EXPECT_FALSE(reader.Parse(""));
  EXPECT_EQ(reader.GetErrorText(), "");
  EXPECT_FALSE(reader.FindNext("XMML"));
}

TEST(XmlReader, DeclarationsCommentsAndDoctypeLeaveNoEntries) {
  XmlReader reader;
  ASSERT_TRUE(reader.Parse("<?xml version=\"1.0\"?><!-- c --><!DOCTYPE x><XMML/>")) << reader.GetErrorText();
  EXPECT_TRUE(reader.IsWellFormed());
  EXPECT_EQ(reader.ElementCount(), 1);
  ASSERT_TRUE(reader.FindNext("xmml"));
  EXPECT_EQ(reader.GetTagName(), "XMML");
  EXPECT_FALSE(reader.FindChild({}));  // empty element
  EXPECT_EQ(reader.GetContent(), "");

  ASSERT_TRUE(reader.Parse("<a><!-- <b/> --><![CDATA[<c/>]]><?pi <d/>?><e/></a>")) << reader.GetErrorText();
  EXPECT_EQ(reader.ElementCount(), 2);
  ASSERT_TRUE(reader.FindChild({}));
  EXPECT_EQ(reader.GetChildTagName(), "e");
}

TEST(XmlReader, EndTagsNeedTheExactNameAndMayCarryJunk) {
  XmlReader reader;
  EXPECT_TRUE(reader.Parse("<a></a junk>")) << reader.GetErrorText();
  EXPECT_TRUE(reader.Parse("<a>\n</a\n>")) << reader.GetErrorText();
  EXPECT_FALSE(reader.Parse("<a></A>"));
  ASSERT_TRUE(reader.Parse("<a><b/></a>"));
  EXPECT_TRUE(reader.FindChild("B"));
}

TEST(XmlReader, OnlyTheFirstTopLevelElementExists) {
  XmlReader reader;
  ASSERT_TRUE(reader.Parse("<a/><b/>"));
  EXPECT_FALSE(reader.FindNext("b"));
  EXPECT_TRUE(reader.FindNext("a"));
  EXPECT_FALSE(reader.FindNext({}));
  EXPECT_EQ(reader.ElementCount(), 1);
  // Nothing after the document element is looked at, not even broken markup.
  EXPECT_TRUE(reader.Parse("<a/><b"));
  // An end tag where the document element should be is no document.
  EXPECT_FALSE(reader.Parse("</a>"));
}

TEST(XmlReader, AttributeValuesNeedDoubleQuotes) {
  XmlReader reader;
  ASSERT_TRUE(reader.Parse("<a x='1' y=\"2\" z=5 w = \"4\" Mixed=\"m\"/>"));
  ASSERT_TRUE(reader.FindNext("a"));
  EXPECT_EQ(reader.GetAttribute("y"), "2");
  EXPECT_EQ(reader.GetAttribute("x"), "");
  EXPECT_EQ(reader.GetAttribute("z"), "");
  EXPECT_EQ(reader.GetAttribute("w"), "4");
  EXPECT_EQ(reader.GetAttribute("MIXED"), "m");
  EXPECT_EQ(reader.GetAttribute("missing"), "");
  EXPECT_EQ(reader.GetAttribute(""), "");
  EXPECT_EQ(reader.GetAttribute("a"), "");  // the tag name is no attribute
}

TEST(XmlReader, AttributeSearchStopsAtTheEndOfTheStartTag) {
  XmlReader reader;
  ASSERT_TRUE(reader.Parse("<a x=\"1\"><b y=\"2\"/>y=\"3\"</a>"));
  ASSERT_TRUE(reader.FindNext("a"));
  EXPECT_EQ(reader.GetAttribute("y"), "");
  ASSERT_TRUE(reader.FindChild("b"));
  EXPECT_EQ(reader.GetChildAttribute("y"), "2");
  EXPECT_EQ(reader.GetChildAttribute("x"), "");
  // An unclosed quote does not let a value run into the following elements.
  ASSERT_TRUE(reader.Parse("<r><a x=\"1/><b y=\"2\"/></r>"));
  ASSERT_TRUE(reader.FindChild("a"));
  EXPECT_EQ(reader.GetChildAttribute("x").find("<b"), std::string::npos);
  ASSERT_TRUE(reader.FindChild("b"));
  EXPECT_EQ(reader.GetChildAttribute("y"), "2");
  // A slash inside a quoted value does not end the tag's attributes.
  ASSERT_TRUE(reader.Parse("<a href=\"http://host/p/q\" next=\"n\"/>"));
  ASSERT_TRUE(reader.FindNext({}));
  EXPECT_EQ(reader.GetAttribute("href"), "http://host/p/q");
  EXPECT_EQ(reader.GetAttribute("next"), "n");
}

TEST(XmlReader, PredefinedEntitiesAreDecodedOthersKept) {
  XmlReader reader;
  ASSERT_TRUE(reader.Parse("<a t=\"&lt;b&gt; &amp;&#65;\" q=\"&quot;&apos;&unknown; &AMP; &\"/>"));
  ASSERT_TRUE(reader.FindNext({}));
  EXPECT_EQ(reader.GetAttribute("t"), "<b> &&#65;");
  EXPECT_EQ(reader.GetAttribute("q"), "\"'&unknown; &AMP; &");
}

TEST(XmlReader, DecodeRangeOnlyDecodesEntitiesWhollyInside) {
  XmlReader reader;
  ASSERT_TRUE(reader.Parse("<a>x&amp;y&lt;</a>"));
  ASSERT_TRUE(reader.FindNext({}));
  EXPECT_EQ(reader.GetContent(), "x&y<");
  // "&amp;" starts at 4 and ends at 8; "&lt;" runs from 10 to 13.
  EXPECT_EQ(reader.DecodeRange(3, 8), "x&");
  EXPECT_EQ(reader.DecodeRange(3, 7), "x&amp");
  EXPECT_EQ(reader.DecodeRange(9, 12), "y&lt");
  EXPECT_EQ(reader.DecodeRange(5, 4), "");
  EXPECT_EQ(reader.DecodeRange(-5, 2), "<a>");
  EXPECT_EQ(reader.DecodeRange(16, 1000), "a>");
}

TEST(XmlReader, ChildAttributesEnumerateInDocumentOrder) {
  XmlReader reader;
  ASSERT_TRUE(reader.Parse("<r><o a=\"1\" b=\"\" c=\"3\"></o><p t=\"ends with space \" u=\"&gt;\" odd v=\"5\"/></r>"));
  ASSERT_TRUE(reader.FindChild("o"));
  reader.RewindChildAttributes();
  std::vector<std::pair<std::string, std::string>> seen;
  std::string name, value;
  while (reader.NextChildAttribute(name, value)) seen.emplace_back(name, value);
  EXPECT_EQ(seen, (std::vector<std::pair<std::string, std::string>>{{"a", "1"}, {"b", ""}, {"c", "3"}}));
  EXPECT_FALSE(reader.NextChildAttribute(name, value));  // stays finished

  ASSERT_TRUE(reader.FindChild("p"));
  reader.RewindChildAttributes();
  seen.clear();
  while (reader.NextChildAttribute(name, value)) seen.emplace_back(name, value);
  EXPECT_EQ(seen, (std::vector<std::pair<std::string, std::string>>{
                      {"t", "ends with space "}, {"u", ">"}, {"v", "5"}}));
}

TEST(XmlReader, FindNextRewindsAttributesToTheMainElement) {
  XmlReader reader;
  ASSERT_TRUE(reader.Parse("<m k=\"v\"><c x=\"1\"/></m>"));
  ASSERT_TRUE(reader.FindNext("m"));
  std::string name, value;
  ASSERT_TRUE(reader.NextChildAttribute(name, value));
  EXPECT_EQ(name, "k");
  EXPECT_EQ(value, "v");
  EXPECT_FALSE(reader.NextChildAttribute(name, value));
  // Without a child position there is nothing to rewind to.
  reader.RewindChildAttributes();
  EXPECT_FALSE(reader.NextChildAttribute(name, value));
}

const char* const kDocument = R"(<?xml version="1.0" encoding="utf-8"?>
<!-- A small publication -->
<XMML version="1.0">
  <PARAM NAME="title" VALUE="Harbour &amp; Sea"/>
  <PARAM NAME="ShowThumbnail" VALUE="no"/>
  <ACTION name="home" href="goto:1"/>
  <MENUS>
    <MENU ID="main">
      <menuitem text="Zoom in" href="exec:zoomin"/>
      <menuitem text="-"/>
      <menuitem text="More">
        <menuitem text="Print" href="exec:print"/>
      </menuitem>
    </MENU>
  </MENUS>
  <BODY>
    <BASEMAP thumbnailsrc="thumb.jpg">
      <KTQ SRC="harbour.ktq"/>
      <KTQ SRC="sea.ktq"/>
    </BASEMAP>
    <map id="labels" minlevel="2">
      <text x="10" y="20" text="Pier &lt;1&gt;"/>
      <note x="5" y="6">Remember the &quot;tide&quot;</note>
    </map>
    <map id="">
      <rect x="1" y="2" w="3" h="4"/>
    </map>
  </BODY>
</XMML>
)";

TEST(XmlReader, NavigatesARealisticDocument) {
  XmlReader reader;
  ASSERT_TRUE(reader.Parse(kDocument)) << reader.GetErrorText();
  ASSERT_TRUE(reader.FindNext("XMML"));
  EXPECT_EQ(reader.GetAttribute("VERSION"), "1.0");

  std::vector<std::pair<std::string, std::string>> params;
  while (reader.FindChild("param")) params.emplace_back(reader.GetChildAttribute("name"), reader.GetChildAttribute("value"));
  EXPECT_EQ(params, (std::vector<std::pair<std::string, std::string>>{{"title", "Harbour & Sea"}, {"ShowThumbnail", "no"}}));

  // Each group is searched again from the first child.
  EXPECT_FALSE(reader.FindNext("XMML"));  // no sibling of its own
  reader.ResetPosition();
  ASSERT_TRUE(reader.FindNext("XMML"));
  ASSERT_TRUE(reader.FindChild("MENUS"));
  ASSERT_TRUE(reader.EnterChild());
  EXPECT_EQ(reader.Depth(), 1);
  ASSERT_TRUE(reader.FindChild("menu"));
  EXPECT_EQ(reader.GetChildAttribute("id"), "main");
  const std::string menu = reader.GetChildMarkup();
  EXPECT_EQ(menu.substr(0, 15), "<MENU ID=\"main\"");
  EXPECT_EQ(menu.substr(menu.size() - 7), "</MENU>");
  ASSERT_TRUE(reader.EnterChild());
  int items = 0;
  while (reader.FindChild("menuitem")) ++items;
  EXPECT_EQ(items, 3);  // nested items are not children of MENU
  ASSERT_TRUE(reader.LeaveToParent());
  ASSERT_TRUE(reader.LeaveToParent());
  EXPECT_EQ(reader.Depth(), 0);
  EXPECT_FALSE(reader.LeaveToParent());
  // Leaving makes the element just left the child position, so the search goes on after it.
  EXPECT_EQ(reader.GetChildTagName(), "MENUS");
  ASSERT_TRUE(reader.FindChild({}));
  EXPECT_EQ(reader.GetChildTagName(), "BODY");

  ASSERT_TRUE(reader.EnterChild());
  ASSERT_TRUE(reader.FindChild("basemap"));
  EXPECT_EQ(reader.GetChildAttribute("thumbnailsrc"), "thumb.jpg");
  ASSERT_TRUE(reader.EnterChild());
  std::vector<std::string> sources;
  while (reader.FindChild("ktq")) sources.push_back(reader.GetChildAttribute("src"));
  EXPECT_EQ(sources, (std::vector<std::string>{"harbour.ktq", "sea.ktq"}));
  ASSERT_TRUE(reader.LeaveToParent());

  std::vector<std::string> maps;
  while (reader.FindChild("map")) maps.push_back(reader.GetChildMarkup());
  ASSERT_EQ(maps.size(), 2u);

  // A map's markup parses on its own, as map loading does.
  XmlReader map;
  ASSERT_TRUE(map.Parse(maps[0])) << map.GetErrorText();
  ASSERT_TRUE(map.FindNext("map"));
  EXPECT_EQ(map.GetAttribute("minlevel"), "2");
  ASSERT_TRUE(map.FindChild({}));
  EXPECT_EQ(map.GetChildTagName(), "text");
  EXPECT_EQ(map.GetChildAttribute("text"), "Pier <1>");
  ASSERT_TRUE(map.EnterChild());
  ASSERT_TRUE(map.FindNext("note"));
  EXPECT_EQ(map.GetContent(), "Remember the \"tide\"");
  std::int32_t start = 0, end = 0;
  ASSERT_TRUE(map.GetCurrentSpan(start, end));
  EXPECT_EQ(map.Text().substr(static_cast<size_t>(start), static_cast<size_t>(end - start + 1)),
            "<note x=\"5\" y=\"6\">Remember the &quot;tide&quot;</note>");
  EXPECT_FALSE(map.FindNext({}));
}

TEST(XmlReader, TableRecordsPositionsAndLinks) {
  const std::string text = "<a> <b/>x<c></c > </a> tail<z/>";
  XmlReader reader;
  ASSERT_TRUE(reader.Parse(text));
  ASSERT_EQ(reader.ElementCount(), 3);
  const ElementEntry& a = reader.Element(1);
  const ElementEntry& b = reader.Element(2);
  const ElementEntry& c = reader.Element(3);
  EXPECT_EQ(a.start, 0);
  EXPECT_EQ(a.tagEnd, 2);
  EXPECT_EQ(a.contentEnd, 18);
  EXPECT_EQ(a.end, 21);
  EXPECT_EQ(a.following, 27);
  EXPECT_EQ(a.firstChild, 2);
  EXPECT_EQ(b.start, 4);
  EXPECT_EQ(b.contentEnd, 6);
  EXPECT_EQ(b.end, 7);
  EXPECT_EQ(b.following, 9);
  EXPECT_EQ(b.nextSibling, 3);
  EXPECT_EQ(c.parent, 1);
  EXPECT_EQ(c.contentEnd, 12);
  EXPECT_EQ(c.end, 16);
  EXPECT_EQ(reader.TagNameAt(0), "");
  EXPECT_EQ(reader.TagNameAt(3), "c");
  EXPECT_EQ(reader.TagNameAt(99), "");

  ASSERT_TRUE(reader.Parse("<only/>"));
  EXPECT_EQ(reader.Element(1).following, 7);  // no '<' follows: the text's length
}

TEST(XmlReader, CopiesKeepTheirCursorsAndParseResetsEverything) {
  XmlReader reader;
  ASSERT_TRUE(reader.Parse("<a><b/><c/></a>"));
  ASSERT_TRUE(reader.FindChild("c"));
  ASSERT_TRUE(reader.EnterChild());
  XmlReader copy = reader;
  EXPECT_EQ(copy.GetTagName(), "c");
  EXPECT_EQ(copy.Depth(), 1);
  ASSERT_TRUE(copy.LeaveToParent());
  EXPECT_EQ(copy.GetTagName(), "a");
  EXPECT_EQ(reader.GetTagName(), "c");

  EXPECT_FALSE(reader.Parse("<broken"));
  EXPECT_EQ(reader.Depth(), 0);
  EXPECT_EQ(reader.GetTagName(), "");
  EXPECT_FALSE(reader.FindNext({}));
  ASSERT_TRUE(reader.Parse("<x/>"));
  EXPECT_EQ(reader.GetErrorText(), "");
  EXPECT_TRUE(reader.FindNext("X"));
}

TEST(XmlReader, ManySiblingsGrowTheTable) {
  std::string text = "<list>";
  for (int i = 0; i < 5000; ++i) text += "<i n=\"" + std::to_string(i) + "\"/>";
  text += "</list>";
  XmlReader reader;
  ASSERT_TRUE(reader.Parse(text));
  EXPECT_EQ(reader.ElementCount(), 5001);
  int count = 0;
  while (reader.FindChild("i")) {
    ASSERT_EQ(reader.GetChildAttribute("n"), std::to_string(count));
    ++count;
  }
  EXPECT_EQ(count, 5000);
}

TEST(XmlReader, DeepNestingParsesWithoutRecursion) {
  constexpr int kDepth = 100000;
  std::string text;
  for (int i = 0; i < kDepth; ++i) text += "<d>";
  text += "<leaf v=\"bottom\"/>";
  for (int i = 0; i < kDepth; ++i) text += "</d>";
  XmlReader reader;
  ASSERT_TRUE(reader.Parse(text)) << reader.GetErrorText();
  EXPECT_EQ(reader.ElementCount(), kDepth + 1);
  ASSERT_TRUE(reader.FindNext("d"));
  while (reader.FindChild("d")) ASSERT_TRUE(reader.EnterChild());
  EXPECT_EQ(reader.Depth(), kDepth - 1);
  ASSERT_TRUE(reader.FindChild("leaf"));
  EXPECT_EQ(reader.GetChildAttribute("v"), "bottom");
  while (reader.LeaveToParent()) {
  }
  EXPECT_EQ(reader.Depth(), 0);

  // The same depth left unclosed fails cleanly.
  text.resize(static_cast<size_t>(kDepth) * 3);
  EXPECT_FALSE(reader.Parse(text));
  EXPECT_EQ(reader.GetErrorText(), "Element tag not found");
}

}  // namespace
}  // namespace zolvex
