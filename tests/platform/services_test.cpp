#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "platform/Numbers.h"
#include "platform/Files.h"
#include "platform/MemoryFile.h"
#include "platform/SettingsStore.h"
#include "platform/TextValues.h"
#include "platform/headless/RecordingServices.h"
#include "platform/headless/ScriptedResponder.h"
#include "tests/support/TestSupport.h"

using namespace zolvex;
using namespace zolvex::platform;

TEST(ScriptedResponder, AnswersFromTheScriptAndRecordsEveryQuestion) {
  ScriptedResponder responder;
  responder.QueueMessageAnswer(DialogResult::Yes);
  EXPECT_EQ(responder.MessageBox("Connect through HTTP?", "Zolvex", MessageIcon::Question, MessageButtons::YesNo),
            DialogResult::Yes);
  // Unanswered questions get the cautious default.
  EXPECT_EQ(responder.MessageBox("Again?", "Zolvex", MessageIcon::Question, MessageButtons::YesNo), DialogResult::No);
  EXPECT_EQ(responder.MessageBox("Done", "Zolvex", MessageIcon::Information, MessageButtons::Ok), DialogResult::Ok);
  EXPECT_FALSE(responder.PromptText("Name", "Zolvex", "").has_value());
  auto records = responder.Records();
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[0].kind, "message");
  EXPECT_EQ(records[0].text, "Connect through HTTP?");
  EXPECT_EQ(records[0].caption, "Zolvex");
  EXPECT_EQ(records[0].icon, MessageIcon::Question);
  EXPECT_EQ(records[3].kind, "prompt");
}

TEST(ScriptedResponder, FormsAndMenusTakeQueuedAnswers) {
  ScriptedResponder responder;
  responder.QueueForm(std::map<std::string, std::string>{{"title", "Harbour"}});
  std::vector<FormField> fields{{"title", "Title", FieldKind::Text, "old", {}}, {"bold", "Bold", FieldKind::Check, "no", {}}};
  EXPECT_TRUE(responder.Form("Note", fields));
  EXPECT_EQ(fields[0].value, "Harbour");
  EXPECT_EQ(fields[1].value, "no");
  EXPECT_FALSE(responder.Form("Note", fields));  // nothing queued: cancelled, unchanged
  EXPECT_EQ(fields[0].value, "Harbour");
  responder.QueueMenuChoice(42);
  EXPECT_EQ(responder.PopupMenu({{42, "Zoom in", false, true, {}}, {0, "", false, true, {}}}, {0, 0}), 42);
  EXPECT_EQ(responder.Records().back().items, std::vector<std::string>{"Zoom in"});
}

TEST(RecordingServices, RecordWhatTheyWereGiven) {
  RecordingServices services;
  services.OpenUrl("http://example.org/", "_blank");
  services.SetWallpaper("/tmp/wall.bmp");
  services.PlayMedia("http://example.org/a.mp3");
  services.Stop();
  services.SetImage({1, 1, {0xFF112233u}});
  EXPECT_EQ(services.OpenedUrls().at(0).target, "_blank");
  EXPECT_EQ(services.Wallpapers().at(0), "/tmp/wall.bmp");
  EXPECT_EQ(services.Sounds(), (std::vector<std::string>{"media:http://example.org/a.mp3", "stop"}));
  EXPECT_EQ(services.ClipboardImage().pixels.at(0), 0xFF112233u);
}

TEST(SettingsStore, RoundTripsKeyPathsAndSurvivesARestart) {
  test::TempDir dir;
  std::string file = dir.File("config/zolvex/settings.ini");
  {
    SettingsStore store(file);
    EXPECT_TRUE(store.SetNumber("Software\\Korvani\\comics", "lastmode", 2));
    EXPECT_TRUE(store.SetString("Software\\Korvani\\comics\\Saved", "book", "C:\\pages\\one=two\nthree"));
    EXPECT_TRUE(store.SetProfileString("Print", "Margins", "10,10"));
  }
  SettingsStore reopened(file);
  EXPECT_EQ(reopened.GetNumber("software/korvani/COMICS", "LastMode"), 2u);
  EXPECT_EQ(reopened.GetString("Software\\Korvani\\comics\\Saved", "book"), "C:\\pages\\one=two\nthree");
  EXPECT_EQ(reopened.GetProfileString("Print", "Margins", ""), "10,10");
  EXPECT_EQ(reopened.GetProfileString("Print", "Missing", "fallback"), "fallback");
  EXPECT_FALSE(reopened.GetString("Software\\Korvani\\comics", "successfulmode").has_value());
  EXPECT_TRUE(reopened.DeleteValue("Software\\Korvani\\comics", "lastmode"));
  EXPECT_FALSE(SettingsStore(file).GetNumber("Software\\Korvani\\comics", "lastmode").has_value());
}

TEST(SettingsStore, MachineValuesAnswerWhatTheUserLacks) {
  test::TempDir dir;
  ASSERT_TRUE(WriteFileBytes(dir.File("machine.ini"), {'[', 'N', 'e', 't', ']', '\n', 'p', '=', '1', '\n'}));
  SettingsStore store(dir.File("user.ini"), dir.File("machine.ini"));
  EXPECT_EQ(store.GetMachineString("Net", "p"), "1");
  EXPECT_EQ(store.GetString("Net", "p"), "1");
  store.SetString("Net", "p", "2");
  EXPECT_EQ(store.GetString("Net", "p"), "2");
  EXPECT_EQ(store.GetMachineString("Net", "p"), "1");
}

TEST(Files, PathsAcceptBothSeparatorsAndFileUrls) {
  EXPECT_EQ(NativePath("file:///home/a.ktq"), "/home/a.ktq");
  EXPECT_EQ(NativePath("file://localhost/home/a%20b.ktq"), "/home/a b.ktq");
  EXPECT_EQ(NativePath("dir\\sub\\x.map"), "dir/sub/x.map");
  EXPECT_EQ(NativePath("/abs//path"), "/abs/path");
  std::string temp = MakeTempFile(".wav");
  EXPECT_TRUE(FileExists(temp));
  EXPECT_TRUE(EndsWithNoCase(temp, ".wav"));
  std::remove(temp.c_str());
}

TEST(MemoryFile, OpensByPathAndHoldsExactlyTheLastBytes) {
  MemoryFile file;
  ASSERT_TRUE(file.IsOpen());
  const std::vector<std::uint8_t> longer{1, 2, 3, 4, 5, 6}, shorter{9, 8};
  ASSERT_TRUE(file.Replace(longer.data(), longer.size()));
  EXPECT_EQ(ReadFileBytes(file.Path()), longer);
  ASSERT_TRUE(file.Replace(shorter.data(), shorter.size()));
  EXPECT_EQ(ReadFileBytes(file.Path()), shorter);
  ASSERT_TRUE(file.Replace(nullptr, 0));
  EXPECT_EQ(ReadFileBytes(file.Path()), std::vector<std::uint8_t>{});
}

TEST(TextValues, NumbersColoursAndFlagsReadAsTheViewerReadsThem) {
  EXPECT_EQ(ParseInt("  42px"), 42);
  EXPECT_EQ(ParseInt("-7"), -7);
  EXPECT_EQ(ParseInt("abc"), 0);
  EXPECT_EQ(ParseInt("99999999999"), 2147483647);
  EXPECT_EQ(ParseColor("#FFFFFF"), MakeColor(255, 255, 255));
  EXPECT_EQ(ParseColor("#336699"), MakeColor(0x33, 0x66, 0x99));
  EXPECT_FALSE(ParseColor("336699").has_value());
  EXPECT_TRUE(IsYes("YES"));
  EXPECT_FALSE(IsYes("y"));
  EXPECT_EQ(ParseIntList("1, 2,x,4"), (std::vector<int>{1, 2, 0, 4}));
}

// Hostile numbers: a 1-based level at the lowest int and scaled positions far beyond int
// stay at the ends of the range instead of wrapping.
TEST(TextValues, OneBasedIndicesAndScaledPositionsSaturate) {
  EXPECT_EQ(ParseOneBasedIndex("3"), 2);
  EXPECT_EQ(ParseOneBasedIndex("-2147483648"), INT_MIN);
  EXPECT_EQ(ParseOneBasedIndex("-99999999999"), INT_MIN);
  EXPECT_EQ(SaturateToInt(2.9), 2);
  EXPECT_EQ(SaturateToInt(-2.9), -2);
  EXPECT_EQ(SaturateToInt(1e300), INT_MAX);
  EXPECT_EQ(SaturateToInt(-1e300), INT_MIN);
  EXPECT_EQ(SaturateToInt(std::nan("")), 0);
}

// Test programs, and the programs they run, never read or write the user's settings.
TEST(SettingsStore, TestsKeepTheirSettingsInATemporaryHomeOfTheirOwn) {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  ASSERT_NE(config, nullptr);
  EXPECT_TRUE(std::string(config).starts_with(std::filesystem::temp_directory_path().string())) << config;
  EXPECT_TRUE(zolvex::platform::SettingsStore::DefaultUserFile().starts_with(config));
  std::string child;
  ASSERT_EQ(zolvex::test::RunCommand("printf %s \"$XDG_CONFIG_HOME\"", &child), 0);
  EXPECT_EQ(child, config);
}
