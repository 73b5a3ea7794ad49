#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "documents/MosaicLayout.h"
#include "documents/XmmlDocument.h"
#include "tests/documents/GridDocument.h"
#include "tests/documents/RecordingHost.h"

using namespace zolvex;
using namespace zolvex::test;

namespace {

// A basemap that remembers the levels asked ahead.
class PreloadedGrid : public GridDocument {
 public:
  explicit PreloadedGrid(std::vector<int>& preloaded) : GridDocument(FiveLevels()), preloaded_(preloaded) {}
  void PreloadLevel(int level) override { preloaded_.push_back(level); }

 private:
  std::vector<int>& preloaded_;
};

std::vector<std::uint8_t> Bytes(const std::string& markup) { return {markup.begin(), markup.end()}; }

class XmmlHostTest : public ::testing::Test {
 protected:
  XmmlHostTest() {
    host.subDocuments = [this](const SubDocumentRequest& request) -> std::unique_ptr<MapDocument> {
      if (request.layout) layoutChildren = static_cast<int>(request.layout->Children().size());
      return std::make_unique<PreloadedGrid>(preloaded);
    };
  }
  std::unique_ptr<XmmlDocument> Load(const std::string& body, const std::string& params = "") {
    return std::make_unique<XmmlDocument>(
        host, "/maps/doc.xmml", Bytes("<xmml>" + params + "<body>" + body + "</body></xmml>"));
  }

  RecordingHost host;
  std::vector<int> preloaded;
  int layoutChildren = -1;
};

}  // namespace

TEST_F(XmmlHostTest, ABasemapIsAskedOfTheHostByItsKind) {
  struct Case {
    std::string body;
    SubDocumentKind kind;
    std::string url;
  } cases[] = {
      {"<basemap><ktq src=\"a.ktq\"/></basemap>", SubDocumentKind::Image, "/maps/a.ktq"},
      {"", SubDocumentKind::Image, "/maps/doc.ktq"},  // none named: the document's own name
      {"<basemap><ktq src=\"imgs/\"/></basemap>", SubDocumentKind::Folder, "/maps/imgs/"},
      {"<basemap><ktq src=\"a.ktq\" col=\"0\"/><ktq src=\"b.ktq\" col=\"1\"/></basemap>", SubDocumentKind::Mosaic,
       "/maps/"},
  };
  for (const Case& c : cases) {
    host.requests.clear();
    auto document = Load(c.body);
    ASSERT_EQ(host.requests.size(), 1u) << c.body;
    EXPECT_EQ(host.requests[0].kind, c.kind) << c.body;
    EXPECT_EQ(host.requests[0].url, c.url) << c.body;
    EXPECT_TRUE(document->IsValid()) << c.body;
    EXPECT_EQ(document->GetFullWidth(), 4096) << c.body;
  }
  EXPECT_EQ(layoutChildren, 2);
}

TEST_F(XmmlHostTest, WithoutABasemapTheDocumentIsNotReady) {
  host.subDocuments = nullptr;
  auto document = Load("<basemap><ktq src=\"a.ktq\"/></basemap>");
  EXPECT_FALSE(document->IsValid());
  EXPECT_EQ(document->GetLevelCount(), 0);
}

TEST_F(XmmlHostTest, ThePreloadLevelIsAskedOfTheBasemapCountedFromOne) {
  Load("<basemap><ktq src=\"a.ktq\"/></basemap>", "<param name=\"preloadlevel\" value=\"3\"/>");
  EXPECT_EQ(preloaded, std::vector<int>{2});
}
