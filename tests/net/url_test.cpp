#include <gtest/gtest.h>

#include "net/Url.h"

namespace zolvex {
namespace {

struct JoinCase {
  const char* relative;
  const char* base;
  const char* expected;
};

void PrintTo(const JoinCase& c, std::ostream* out) { *out << '"' << c.relative << "\" against \"" << c.base << '"'; }

class ResolveUrlTable : public testing::TestWithParam<JoinCase> {};

TEST_P(ResolveUrlTable, JoinsAsUsersExpect) {
  EXPECT_EQ(ResolveUrl(GetParam().relative, GetParam().base), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ResolveUrlTable, testing::Values(
  // Relative to the base's folder.
  JoinCase{"b.xml", "http://host/dir/a.xml", "http://host/dir/b.xml"},
  JoinCase{"sub/b.xml", "http://host/dir/", "http://host/dir/sub/b.xml"},
  JoinCase{"x.xml", "", "x.xml"},
  JoinCase{"x.xml", "nofolder", "x.xml"},
  JoinCase{"  b.xml\t", "http://host/dir/a.xml", "http://host/dir/b.xml"},
  // Host-relative.
  JoinCase{"/x.xml", "http://host/dir/a.xml", "http://host/x.xml"},
  JoinCase{"/x.xml", "http://host:8080", "http://host:8080/x.xml"},
  // On a local base it is an absolute path, or the root of the base's drive.
  JoinCase{"/x.xml", "/home/u/a.xml", "/x.xml"},
  JoinCase{"/x.xml", "file:///home/u/a.xml", "file:///x.xml"},
  JoinCase{"/x.xml", "C:/dir/a.xml", "C:/x.xml"},
  // Absolute references come back unchanged.
  JoinCase{"C:\\x.xml", "http://host/dir/", "C:\\x.xml"},
  JoinCase{"HTTP://other/a.xml", "http://host/dir/", "HTTP://other/a.xml"},
  JoinCase{"ktq://server/a.ktq", "http://host/dir/", "ktq://server/a.ktq"},
  JoinCase{"mms:x", "http://host/dir/", "mms:x"},
  JoinCase{"file:x", "http://host/dir/", "file:x"},
  JoinCase{"http:", "http://host/dir/", "http://host/dir/http:"},
  // Backslashes and local drives.
  JoinCase{"a.ktq", "C:\\dir\\", "C:/dir/a.ktq"},
  JoinCase{"a.ktq", "file://C:/dir/b.xml", "C:\\dir\\a.ktq"},
  JoinCase{"sub\\a.ktq", "http://host/dir/", "http://host/dir/sub/a.ktq"},
  JoinCase{"a.ktq", "file:///home/u/b.xml", "file:///home/u/a.ktq"},
  // Doubled slashes after the scheme collapse.
  JoinCase{"a//b.xml", "http://host/dir//", "http://host/dir/a/b.xml"},
  JoinCase{"a///b.xml", "http://host/", "http://host/a/b.xml"},
  JoinCase{"a//b.xml", "", "a/b.xml"}));

class NormaliseUrlTable : public testing::TestWithParam<JoinCase> {};

TEST_P(NormaliseUrlTable, RemovesDotSegments) {
  EXPECT_EQ(NormaliseUrl(GetParam().relative, GetParam().base), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, NormaliseUrlTable, testing::Values(
  JoinCase{"a/../b/./c.xml", "http://host/dir/", "http://host/dir/b/c.xml"},
  JoinCase{"http://host/a/b/../c", "", "http://host/a/c"},
  // "/../" in the middle, twice, and at the end of a run.
  JoinCase{"a/b/../../c.xml", "http://host/dir/", "http://host/dir/c.xml"},
  JoinCase{"../c.xml", "http://host/dir/sub/", "http://host/dir/c.xml"},
  // A "/../" with nothing left to remove keeps the root and drops itself.
  JoinCase{"../../../c.xml", "http://host/dir/", "http://host/c.xml"},
  JoinCase{"/../c.xml", "http://host/dir/", "http://host/c.xml"},
  JoinCase{"http://host/../c.xml", "", "http://host/c.xml"},
  JoinCase{"/../c.xml", "", "/c.xml"},
  JoinCase{"/a/../../c.xml", "", "/c.xml"},
  JoinCase{"C:\\..\\c.xml", "", "C:/c.xml"},
  JoinCase{"..\\..\\c.xml", "C:\\dir\\", "C:/c.xml"},
  JoinCase{"file:///../a.xml", "", "file:///a.xml"},
  JoinCase{"file:///home/u/../a.xml", "", "file:///home/a.xml"},
  JoinCase{"a/..//", "http://host/", "http://host/"},
  JoinCase{"a/../", "http://host/", "http://host/"},
  JoinCase{"a/../c.xml", "", "c.xml"},
  JoinCase{"../c.xml", "", "../c.xml"},
  // "/./" at the start of the path, in the middle and repeated.
  JoinCase{"./c.xml", "http://host/dir/", "http://host/dir/c.xml"},
  JoinCase{"http://host/./a/././c.xml", "", "http://host/a/c.xml"},
  JoinCase{"/./c.xml", "", "/c.xml"},
  // A drive path that lost its "file://" keeps "/" separators.
  JoinCase{"sub/../a.ktq", "file://C:/dir/b.xml", "C:/dir/a.ktq"}));

// Deep relative paths, as generated pages write them: every step is removed, however many.
TEST(NormaliseUrl, RemovesThousandsOfSteps) {
  std::string deep, up;
  for (int i = 0; i < 2000; ++i) {
    deep += "d" + std::to_string(i) + "/./";
    up += "../";
  }
  EXPECT_EQ(NormaliseUrl(deep + up + "c.xml", "http://host/dir/"), "http://host/dir/c.xml");
  EXPECT_EQ(NormaliseUrl(deep + up + up + "c.xml", "http://host/dir/"), "http://host/c.xml");
}

TEST(FormatDecimal, WritesSignAndDigitsOnly) {
  EXPECT_EQ(FormatDecimal(0), "0");
  EXPECT_EQ(FormatDecimal(7), "7");
  EXPECT_EQ(FormatDecimal(30777), "30777");
  EXPECT_EQ(FormatDecimal(-42), "-42");
  EXPECT_EQ(FormatDecimal(99999999), "99999999");
}

TEST(SplitHttpUrl, FindsHostPortAndObject) {
  HttpUrlParts parts = SplitHttpUrl("http://example.org:8080/maps/a.ktq?x=1");
  EXPECT_EQ(parts.host, "example.org");
  EXPECT_EQ(parts.port, 8080);
  EXPECT_EQ(parts.object, "/maps/a.ktq?x=1");
  parts = SplitHttpUrl("http://example.org");
  EXPECT_EQ(parts.host, "example.org");
  EXPECT_EQ(parts.port, 80);
  EXPECT_EQ(parts.object, "/");
}

}  // namespace
}  // namespace zolvex
