#include <gtest/gtest.h>

#include <fstream>

#include "apps/ktqserve/ClipStore.h"
#include "tests/support/TestSupport.h"

using namespace zolvex;

namespace {

const std::string kUpload = "clipname=harbour&clip=%3Cxmml%2F%3E";

}  // namespace

// Clips of one name get numbered names until the limit; the next upload of that name is
// refused at once rather than searching ever further.
TEST(ClipStore, UploadsOfOneNameAreNumberedUpToTheLimit) {
  test::TempDir folder;
  ClipStore store(folder.Path());
  EXPECT_EQ(store.Receive(kUpload).body, "harbour.clip\n");
  EXPECT_EQ(store.Receive(kUpload).body, "harbour-2.clip\n");
  for (int n = 3; n <= ClipStore::kMaxClipsPerName; ++n)
    std::ofstream(folder.File("harbour-" + std::to_string(n) + ".clip")) << "<xmml/>";
  const ClipStore::Result refused = store.Receive(kUpload);
  EXPECT_EQ(refused.status, 409);
  EXPECT_NE(refused.body.find("1000 clips of that name"), std::string::npos) << refused.body;
  EXPECT_EQ(store.Receive("clipname=other&clip=%3Cxmml%2F%3E").status, 200);
}
