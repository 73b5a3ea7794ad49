#include "tests/commands/CommandFixture.h"

#include "objects/MapObject.h"
#include "view/DocumentFactory.h"

using namespace zolvex;

namespace {

// A factory that keeps the document types registered with it.
class RecordingFactory : public DocumentFactory {
 public:
  explicit RecordingFactory(std::vector<DocumentTypeHandler>& handlers) : handlers_(handlers) {}
  void RegisterDocumentType(const DocumentTypeHandler& handler) override {
    handlers_.push_back(handler);
    DocumentFactory::RegisterDocumentType(handler);
  }

 private:
  std::vector<DocumentTypeHandler>& handlers_;
};

class Plugins : public test::CommandFixture {
 protected:
  void SetUp() override {
    CommandFixture::SetUp();
    view_->SetDocumentFactory(std::make_unique<RecordingFactory>(registered_));
    interpreter_->Plugins().SetSearchFolder(TEST_PLUGIN_FOLDER);
  }
  const PluginHost::Plugin& Last() { return *interpreter_->Plugins().Plugins().back(); }
  std::string Calls(const PluginHost::Plugin& plugin) {
    using CallsFn = const char* (*)();
    return plugin.library->Function<CallsFn>("TestPluginCalls")();
  }

  std::vector<DocumentTypeHandler> registered_;
};

}  // namespace

TEST_F(Plugins, AnAcceptedPluginServesItsDocumentTypesAndMakesObjects) {
  Open();
  EXPECT_TRUE(Execute("addplugin", "accepting"));
  const PluginHost::Plugin& plugin = Last();
  ASSERT_TRUE(plugin.library);
  EXPECT_TRUE(plugin.accepted);
  EXPECT_EQ(plugin.version, 42);
  EXPECT_EQ(Calls(plugin), "SupportVersion(11163);");
  ASSERT_EQ(registered_.size(), 2u);
  EXPECT_EQ(registered_[0].typeName, "gallery");
  EXPECT_EQ(registered_[1].typeName, "album");
  EXPECT_EQ(registered_[0].create(*view_, *view_->GetDocument()), nullptr);
  EXPECT_NE(Calls(plugin).find("CreateListener(view,document);"), std::string::npos);

  ASSERT_TRUE(Execute("CreateObject", "stamp,10,20,30,40"));
  MapObject* made = view_->GetDocument()->FindObject(interpreter_->CreatingObjectId());
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->GetX(), 10);
  EXPECT_EQ(made->GetWidth(), 30);
  EXPECT_FALSE(Execute("CreateObject", "unknown,1"));
  EXPECT_EQ(interpreter_->CreatingObjectId(), -1);  // the previous creation was cancelled first

  EXPECT_TRUE(Execute("addplugin", "accepting"));  // loaded once only
  EXPECT_EQ(interpreter_->Plugins().Plugins().size(), 1u);
}

TEST_F(Plugins, RefusedIncompleteAndMissingPluginsAreListedButServeNothing) {
  Open();
  for (const char* name : {"refusing", "incomplete", "absent", "../plugins/zoplugin_accepting"}) {
    EXPECT_TRUE(Execute("addplugin", name));
    EXPECT_FALSE(Last().accepted) << name;
  }
  const auto& plugins = interpreter_->Plugins().Plugins();
  EXPECT_EQ(plugins.size(), 3u);  // a name with a path is not even tried
  ASSERT_TRUE(plugins[0]->library);
  EXPECT_EQ(Calls(*plugins[0]), "SupportVersion(11163);");
  ASSERT_TRUE(plugins[1]->library);
  EXPECT_EQ(Calls(*plugins[1]), "");  // lacking an export: not even asked for the version
  EXPECT_FALSE(plugins[2]->library);
  EXPECT_TRUE(registered_.empty());
  EXPECT_FALSE(Execute("CreateObject", "stamp,10,20,30,40"));
  EXPECT_EQ(Calls(*plugins[0]), "SupportVersion(11163);");  // a refused plug-in makes nothing
}
