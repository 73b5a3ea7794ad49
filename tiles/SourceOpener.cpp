#include "tiles/SourceOpener.h"

#include <algorithm>
#include <cstdlib>

#include "documents/CReaderException.h"
#include "platform/Dialogs.h"
#include "platform/HttpClient.h"
#include "platform/SettingsStore.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

constexpr const char* kInternetSettings = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\";
constexpr const char* kLastMode = "lastmode";
constexpr const char* kSuccessfulMode = "successfulmode";
constexpr const char* kNoWizard = "noconnwiz";
// A trial of a mode other than the last one that worked gives up early so that the known
// good mode is reached soon.
constexpr const char* kTrialTimeout = "20000";

const char* kUnfinishedFirewalled =
    "Korvani Zolvex could not return from previous attempt to connect in 'Behind Firewall' mode.\r\n"
    "It may fail again this time with this mode. Would you like to switch to 'Direct' mode?";
const char* kUnfinishedDirect =
    "Korvani Zolvex could not resume from previous attempt to connect in 'Direct' mode.\r\n"
    "It may fail again this time with this mode. Would you like to switch to 'Behind Firewall' mode?";

// "host:port" or "host"; a port below 1 becomes 80.
Relay ParseHostPort(const std::string& text) {
  Relay relay;
  size_t colon = text.find(':');
  if (colon == std::string::npos) {
    relay.host = Trim(text);
    relay.port = 80;
    return relay;
  }
  relay.host = Trim(text.substr(0, colon));
  relay.port = ParseInt(text.substr(colon + 1));
  if (relay.port < 1) relay.port = 80;
  return relay;
}

// The host of an "http://" URL, without port, lower-cased.
std::string HostOf(const std::string& url) {
  std::string rest = url.substr(7);
  std::string host = rest.substr(0, rest.find('/'));
  return ToLower(host.substr(0, host.find(':')));
}

// The proxy of https_proxy ("http://host:port/" or "host:port").
std::optional<Relay> RelayFromEnvironment() {
  const char* value = std::getenv("https_proxy");
  if (!value || !*value) value = std::getenv("HTTPS_PROXY");
  if (!value || !*value) return std::nullopt;
  std::string text = value;
  size_t scheme = text.find("://");
  if (scheme != std::string::npos) text = text.substr(scheme + 3);
  text = text.substr(0, text.find('/'));
  size_t at = text.rfind('@');
  if (at != std::string::npos) text = text.substr(at + 1);
  return ParseHostPort(text);
}

}  // namespace

struct SourceOpener::Target {
  bool remote = false;
  std::string host;
  int ktqPort = 30777;
  std::string path;
  std::string localPath;
  std::string directory;
  std::string basePath;
  std::optional<Relay> relay;
  std::string authString;
  std::string messageFile;
};

SourceOpener::SourceOpener(SourceOptions& options, platform::SettingsStore& settings, platform::Dialogs& dialogs,
                           SourceMakers& makers)
    : options_(options), settings_(settings), dialogs_(dialogs), makers_(makers) {}

std::optional<Relay> SourceOpener::ParseProxyServer(const std::string& value) {
  if (value.find(';') == std::string::npos) return ParseHostPort(value);
  std::string lower = ToLower(value);
  size_t entry = lower.find("https=");
  if (entry == std::string::npos) return std::nullopt;
  size_t start = entry + 6;
  size_t end = value.find(';', start);
  return ParseHostPort(value.substr(start, end == std::string::npos ? std::string::npos : end - start));
}

bool SourceOpener::AuthenticationHostMatches(const std::string& authenUrl, const std::string& containerUrl) {
  if (authenUrl.size() <= 7 || containerUrl.size() <= 7) return false;
  if (!StartsWithNoCase(authenUrl, "http://") || !StartsWithNoCase(containerUrl, "http://")) return false;
  std::string authen = HostOf(authenUrl);
  std::string container = HostOf(containerUrl);
  if (authen == container) return true;
  if (authen.size() < container.size() + 2) return false;
  size_t found = authen.find("." + container);
  return found != std::string::npos && found + container.size() + 1 == authen.size();
}

std::optional<int> SourceOpener::Stored(const char* name) const {
  auto value = settings_.GetString(kSettingsKey, name);
  if (!value || value->empty()) return std::nullopt;
  return ParseInt(*value);
}

void SourceOpener::Remember(const char* name, int value) { settings_.SetString(kSettingsKey, name, std::to_string(value)); }

ConnectionMode SourceOpener::CurrentMode() const {
  if (!IsYes(options_.Get("firewalled"))) return ConnectionMode::Direct;
  return IsYes(options_.Get("https")) ? ConnectionMode::SecureProxy : ConnectionMode::HttpTunnel;
}

void SourceOpener::StoreMode(ConnectionMode mode) {
  bool firewalled = mode != ConnectionMode::Direct;
  bool https = mode == ConnectionMode::SecureProxy;
  settings_.SetProfileString(kProfileSection, "firewalled", firewalled ? "1" : "0");
  settings_.SetProfileString(kProfileSection, "https", https ? "1" : "0");
  options_.Set("firewalled", firewalled ? "yes" : "no");
  options_.Set("https", https ? "yes" : "no");
}

std::optional<Relay> SourceOpener::LookUpRelay() const {
  auto relay = RelayFromEnvironment();
  if (relay && relay->port >= 1) return relay;
  auto enabled = settings_.GetString(kInternetSettings, "ProxyEnable");
  auto server = settings_.GetString(kInternetSettings, "ProxyServer");
  if (!enabled || ParseInt(*enabled) == 0 || !server) return std::nullopt;
  return ParseProxyServer(*server);
}

std::string SourceOpener::AuthenticationString() const {
  std::string authen = options_.Get("AuthenURL");
  std::string container = options_.Get("ContainerURL");
  if (authen.empty() || !AuthenticationHostMatches(authen, container)) return {};
  return platform::CookieString(authen);
}

void SourceOpener::AskAboutUnfinishedAttempt(ConnectionMode mode) {
  auto last = Stored(kLastMode);
  if (!last || *last != static_cast<int>(mode) || noPrompt_ || fixedMode_) return;
  bool firewalled = IsYes(options_.Get("firewalled"));
  auto answer = dialogs_.MessageBox(firewalled ? kUnfinishedFirewalled : kUnfinishedDirect, "Korvani Zolvex",
                                    platform::MessageIcon::Question, platform::MessageButtons::YesNo);
  if (answer != platform::DialogResult::Yes) return;
  StoreMode(firewalled ? ConnectionMode::Direct : ConnectionMode::HttpTunnel);
}

std::unique_ptr<TileSource> SourceOpener::Make(ConnectionMode mode, const Target& target, bool trial) {
  if (mode == ConnectionMode::HttpTunnel) {
    HttpSourceSettings http;
    http.host = target.host;
    http.httpPort = options_.Get("httpport");
    http.path = target.path;
    http.fixedMode = fixedMode_;
    http.timeoutText = options_.Get("timeout");
    http.authString = target.authString;
    http.messageFile = target.messageFile;
    http.post = EqualsNoCase(options_.Get("AuthenMethod"), "post");
    http.reloadOnModified = !IsNo(options_.Get("reloadonmodified"));
    return makers_.MakeHttpSource(http);
  }
  SocketSourceSettings socket;
  socket.host = target.host;
  socket.port = target.ktqPort;
  socket.path = target.path;
  if (mode == ConnectionMode::SecureProxy) socket.relay = target.relay;
  socket.fixedMode = fixedMode_;
  socket.timeoutText = trial ? kTrialTimeout : options_.Get("timeout");
  socket.authString = target.authString;
  socket.messageFile = target.messageFile;
  return makers_.MakeSocketSource(socket);
}

std::unique_ptr<TileSource> SourceOpener::SwitchAfterFailure(ConnectionMode failed, const Target& target,
                                                              const std::string& error) {
  Remember(kLastMode, -1);
  // Only a connection that could not be made ("2. ...") speaks for another mode; a server
  // that answered with an error would answer the same in any mode.
  const bool connectionFailed = !error.empty() && error[0] == '2';
  if (autoSwitch_ && !connectionFailed) throw CReaderException(error);
  if (!autoSwitch_) {
    bool prompt = !fixedMode_ && !noPrompt_ && !Stored(kNoWizard).value_or(0) &&
                  failed != ConnectionMode::HttpTunnel && connectionFailed;
    if (!prompt) throw CReaderException(error);
    std::vector<platform::FormField> fields{
        {"mode", "Could not connect to " + target.host + ":" + std::to_string(target.ktqPort) + "\n" + error +
                     "\nConnect in this mode:",
         platform::FieldKind::Choice, "Behind Firewall", {"Direct", "Behind Firewall"}},
        {"noconnwiz", "Do not show this again", platform::FieldKind::Check, "no", {}}};
    bool confirmed = dialogs_.Form("Connection mode", fields);
    if (confirmed && IsYes(fields[1].value)) Remember(kNoWizard, 1);
    if (!confirmed || fields[0].value != "Behind Firewall") throw CReaderException(error);
  }
  ConnectionMode next = failed == ConnectionMode::HttpTunnel ? ConnectionMode::Direct : ConnectionMode::HttpTunnel;
  StoreMode(next);
  auto source = Make(next, target, false);
  Remember(kSuccessfulMode, static_cast<int>(next));
  return source;
}

std::unique_ptr<TileSource> SourceOpener::RecoverTrial(const Target& target, const std::string& error) {
  if (error.empty() || error[0] != '2') throw CReaderException(error);
  Remember(kLastMode, -1);
  if (!noPrompt_) {
    auto answer = dialogs_.MessageBox("Could not connect in the new mode:\n" + error +
                                          "\nReturn to the mode that worked last time?",
                                      "Korvani Zolvex", platform::MessageIcon::Warning, platform::MessageButtons::OkCancel);
    if (answer != platform::DialogResult::Ok) throw CReaderException(error);
  }
  auto known = static_cast<ConnectionMode>(Stored(kSuccessfulMode).value_or(0));
  StoreMode(known);
  Remember(kLastMode, static_cast<int>(known));
  auto source = Make(known, target, false);
  Remember(kLastMode, -1);
  return source;
}

OpenedSource SourceOpener::Open(const std::string& url) {
  std::string protocol = options_.Get("DefaultProtocol");
  fixedMode_ = EqualsNoCase(protocol, "alwayshttp") || EqualsNoCase(protocol, "alwaysdirect");
  autoSwitch_ = EqualsNoCase(protocol, "auto");
  noPrompt_ = ToLower(options_.Get("customoptions")).find("nowizard") != std::string::npos;

  Target target;
  target.messageFile = options_.Get("ErrorMsgXml");
  int ktqPort = ParseInt(options_.Get("ktqport"));
  target.ktqPort = ktqPort < 1 ? 30777 : ktqPort;
  ConnectionMode mode = CurrentMode();
  if (mode == ConnectionMode::SecureProxy) target.relay = LookUpRelay();
  target.authString = AuthenticationString();

  size_t schemeLength = StartsWithNoCase(url, "ktq://") ? 6 : StartsWithNoCase(url, "http://") ? 7 : 0;
  if (schemeLength == 0) {
    options_.Set("localcontent", "yes");
    std::string path = StartsWithNoCase(url, "file://") ? url.substr(7) : url;
    // "file:///c:/data/a.ktq" names a drive path; "file:///home/a.ktq" keeps its root.
    size_t slashes = path.find_first_not_of('/');
    if (slashes != std::string::npos && slashes > 0 && path.size() > slashes + 1 && path[slashes + 1] == ':') {
      path = path.substr(slashes);
    } else if (slashes != std::string::npos && slashes > 1) {
      path = path.substr(slashes - 1);
    }
    size_t last = path.find_last_of("/\\");
    OpenedSource opened;
    opened.directory = last == std::string::npos ? std::string() : path.substr(0, last);
    opened.basePath = path;
    opened.source = makers_.MakeFileSource(path, target.messageFile);
    return opened;
  }

  options_.Set("localcontent", "no");
  std::string rest = url.substr(schemeLength);
  size_t hostEnd = rest.find_first_of(":/\\");
  target.host = rest.substr(0, hostEnd);
  std::string tail = hostEnd == std::string::npos ? std::string() : rest.substr(hostEnd);
  if (!tail.empty() && tail[0] == ':') {
    size_t pathStart = tail.find_first_of("/\\");
    int port = ParseInt(tail.substr(1, pathStart == std::string::npos ? std::string::npos : pathStart - 1));
    if (port >= 1 && port <= 65534) target.ktqPort = port;
    tail = pathStart == std::string::npos ? std::string() : tail.substr(pathStart);
  }
  std::replace(tail.begin(), tail.end(), '\\', '/');
  target.path = tail;
  target.directory = tail.substr(0, tail.rfind('/') == std::string::npos ? 0 : tail.rfind('/'));

  AskAboutUnfinishedAttempt(mode);
  mode = CurrentMode();
  if (mode == ConnectionMode::SecureProxy && !target.relay) target.relay = LookUpRelay();
  auto successful = Stored(kSuccessfulMode);
  bool trial = successful && *successful != -1 && *successful != static_cast<int>(mode);
  Remember(kLastMode, static_cast<int>(mode));

  OpenedSource opened;
  opened.basePath = url;
  opened.directory = target.directory;
  try {
    opened.source = Make(mode, target, trial);
    Remember(kSuccessfulMode, static_cast<int>(mode));
    Remember(kLastMode, -1);
  } catch (const CReaderException& failure) {
    opened.source = trial ? RecoverTrial(target, failure.Message()) : SwitchAfterFailure(mode, target, failure.Message());
  }
  return opened;
}

}  // namespace zolvex
