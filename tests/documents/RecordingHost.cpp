#include "tests/documents/RecordingHost.h"

#include "platform/Platform.h"
#include "platform/TextValues.h"

namespace zolvex::test {

namespace {

std::unique_ptr<platform::Platform> HeadlessPlatform(const TempDir& settings) {
  platform::PlatformOptions options;
  options.settingsFile = settings.File("settings.ini");
  std::string error;
  return platform::CreatePlatform(options, error);
}

}  // namespace

RecordingHost::RecordingHost(platform::Platform* platform)
    : ownPlatform_(platform ? nullptr : HeadlessPlatform(settingsDir_)), platform_(platform ? platform : ownPlatform_.get()) {}

RecordingHost::~RecordingHost() = default;

std::string RecordingHost::GetBrowserProperty(const std::string& name) {
  auto found = properties.find(ToLower(name));
  return found == properties.end() ? std::string() : found->second;
}

void RecordingHost::SetBrowserProperty(const std::string& name, const std::string& value) {
  properties[ToLower(name)] = value;
}

std::unique_ptr<MapDocument> RecordingHost::OpenSubDocument(const SubDocumentRequest& request) {
  requests.push_back(request);
  return subDocuments ? subDocuments(request) : nullptr;
}

}  // namespace zolvex::test
