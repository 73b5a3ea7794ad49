#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "tests/support/ServerProcess.h"
#include "tests/support/TestSupport.h"

namespace zolvex::test {

namespace {

// A folder with a 2048 x 2048 image (four levels) and the scripts of a test; the program
// runs with its own settings folder.
class ZolvexScriptTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir();
    ASSERT_EQ(RunCommand(std::string(KTQTOOL_PROGRAM) + " synth '" + dir_->File("s.ktq") +
                         "' --size 2048 --tile 256 >/dev/null 2>&1"),
              0);
  }
  static void TearDownTestSuite() { delete dir_; }

  // Runs the program on a script; answers the exit code, with stdout and stderr.
  int Run(const std::string& script, const std::string& options, std::string& out, std::string& err) {
    const std::string file = dir_->File("page.js");
    std::ofstream(file) << script;
    const std::string command = "XDG_CONFIG_HOME='" + config_.Path() + "' " + std::string(ZOLVEX_PROGRAM) +
                                " --headless --size 400x300 --timeout 20 " + options + " --script '" + file + "' 2>'" +
                                dir_->File("err.txt") + "'";
    const int code = RunCommand(command, &out);
    std::ifstream in(dir_->File("err.txt"));
    err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return code;
  }

  static inline TempDir* dir_ = nullptr;
  TempDir config_;
};

}  // namespace

TEST_F(ZolvexScriptTest, APageScriptDrivesTheControlOverATileServer) {
  ServerProcess server(KTQSERVE_PROGRAM, {dir_->Path(), "--port", "0"});
  ASSERT_TRUE(server.Running()) << server.Output();
  const std::string url = "ktq://127.0.0.1:" + std::to_string(server.Port()) + "/s.ktq";
  std::ifstream in(std::string(ZOLVEX_TEST_DATA) + "/tile_server_page.js");
  std::string script((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(script.empty());
  script.replace(script.find("@URL@"), 5, url);
  std::string out, err;
  ASSERT_EQ(Run(script, "", out, err), 0) << err;
  EXPECT_NE(err.find("loaded 4 256x256 512x512 1024x1024 2048x2048 outside -1 -1"), std::string::npos) << err;
  EXPECT_NE(err.find("at 300,200 level"), std::string::npos) << err;
  EXPECT_NE(err.find("levelchanged to"), std::string::npos) << err;
  EXPECT_NE(err.find("added ["), std::string::npos) << err;
}

TEST_F(ZolvexScriptTest, EventsPrintAsJsonLinesAndParamsFillThePropertyBag) {
  const std::string script = R"JS(
    host.log('port ' + zolvex.KTQPort + ' info ' + zolvex.ProductInfo + ' skin ' + zolvex.Zolvex2.SkinURL +
             ' view ' + zolvex.GetBrowserProperty('bogus'));
    zolvex.OnLoaded = function () { host.exit(0); };
    zolvex.SetContent('s.ktq');
  )JS";
  std::string out, err;
  ASSERT_EQ(Run(script, "--events --param KTQPort=70000 --param ProductInfo=Mine --param Zolvex2.SkinURL=sk --param Bogus=1",
                out, err),
            0)
      << err;
  EXPECT_NE(err.find("port 30777 info Mine skin sk view 1"), std::string::npos) << err;
  EXPECT_NE(out.find(R"({"event":"OnBrowserEvent","id":9,"args":["created","0.1.0.0",""]})"), std::string::npos) << out;
  EXPECT_NE(out.find(R"({"event":"OnLoaded","id":1,"args":[")" + dir_->File("s.ktq") + R"("]})"), std::string::npos)
      << out;
  for (std::size_t start = 0; start < out.size();) {
    std::size_t end = out.find('\n', start);
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(out.substr(start, 9), "{\"event\":") << out.substr(start, end - start);
    EXPECT_EQ(out[end - 1], '}');
    start = end + 1;
  }
}

TEST_F(ZolvexScriptTest, AutomationErrorsAreExceptionsAndScriptErrorsDoNotStopTheViewer) {
  const std::string script = R"JS(
    try {
      zolvex.AutoFit = 'true';
    } catch (e) {
      host.log('caught ' + e.code + ' ' + e.description + ' ' + (e instanceof Error));
    }
    zolvex.AutoFit = 'YES';
    host.log('autofit ' + zolvex.AutoFit + ' unknown ' + zolvex.GetLevelCount() + ' [' + zolvex.GetCurrentURL() + ']');
    zolvex.OnBrowserEvent = function () { alsoThrows(); };
    host.setTimeout(function () { host.exit(zolvex.GetBrowserProperty('version') !== '' ? 0 : 6); }, 100);
    zolvex.Execute('nosuchcommand', '');
    zolvex.SetContent('s.ktq');
    thisThrows();
  )JS";
  std::string out, err;
  ASSERT_EQ(Run(script, "", out, err), 0) << err;
  EXPECT_NE(err.find("caught 46 AllowFit property only accept yes/no value true"), std::string::npos) << err;
  EXPECT_NE(err.find("autofit YES unknown -1 []"), std::string::npos) << err;
  EXPECT_NE(err.find("page.js:13: Can't find variable: thisThrows"), std::string::npos) << err;
  EXPECT_NE(err.find("page.js:9: Can't find variable: alsoThrows"), std::string::npos) << "handlers too: " << err;
}

TEST_F(ZolvexScriptTest, AScriptThatNeverExitsEndsAtTheTimeout) {
  std::string out, err;
  EXPECT_EQ(Run("host.setInterval(function () {}, 10);", "--timeout 1", out, err), 3);
  EXPECT_NE(err.find("did not call host.exit"), std::string::npos) << err;
}

}  // namespace zolvex::test
