#include <gtest/gtest.h>

#include "documents/DocumentText.h"

using namespace zolvex;

namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(DocumentText, TheEncodingComesFromTheDeclarationInTheFirst256Bytes) {
  struct Case {
    std::string text;
    std::string encoding;
  } cases[] = {
      {"<?xml version=\"1.0\" encoding=\"UTF-8\"?><a/>", "UTF-8"},
      {"  \n<?xml version='1.0' encoding='iso-8859-1'?>", "iso-8859-1"},
      {"<?xml version=\"1.0\"?><a encoding=\"utf-8\"/>", ""},  // the declaration ended first
      {"<?xml encoding=utf-8?>", ""},                            // no quote
      {"<a><?xml encoding=\"utf-8\"?>", ""},                     // not the first '<'
      {"<?xml xencoding=\"x\" encoding=\"y\"?>", "y"},
      {"<?xml version=\"1.0\"" + std::string(300, ' ') + "encoding=\"utf-8\"?>", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(DeclaredEncoding(Bytes(c.text)), c.encoding) << c.text;
}

TEST(DocumentText, BytesBecomeUtf8ByTheirEncoding) {
  EXPECT_EQ(DecodeMarkup(Bytes("<?xml encoding=\"utf-8\"?>\xC3\xA9")), "<?xml encoding=\"utf-8\"?>\xC3\xA9");
  EXPECT_EQ(DecodeMarkup(Bytes("<a>\xE9\x80\x81</a>")), "<a>\xC3\xA9\xE2\x82\xAC\xC2\x81</a>");
  EXPECT_EQ(BytesAsCharacters(Bytes("\x80\xFF")), "\xC2\x80\xC3\xBF");
}

TEST(DocumentText, NamesAndPathsFollowTheDocumentUrl) {
  EXPECT_EQ(SlashedUrl("c:\\maps\\a.xml"), "c:/maps/a.xml");
  EXPECT_EQ(BasePathOf("/d/doc.xml"), "/d/");
  EXPECT_EQ(BasePathOf("doc.xml"), "");
  EXPECT_EQ(JoinToBase("a.ktq", "/d/"), "/d/a.ktq");
  EXPECT_EQ(JoinToBase("../b/a.ktq", "http://h/d/e/"), "http://h/d/b/a.ktq");
  EXPECT_EQ(JoinToBase("http://x/y.ktq", "/d/"), "http://x/y.ktq");
  EXPECT_EQ(DerivedImageName("/d/doc.xml"), "/d/doc.ktq");
  EXPECT_EQ(DerivedImageName("/d/doc.x.y,1,2"), "/d/doc.x.ktq");
  EXPECT_EQ(DerivedImageName("http://h/maps/city"), "http://h/maps/city.ktq");
  EXPECT_EQ(DerivedImageName("http://h.example/maps/city"), "http://h.example/maps/city.ktq");
}

}  // namespace
