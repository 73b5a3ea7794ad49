#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "tiles/TileSource.h"

namespace zolvex {

namespace platform {
class Dialogs;
class SettingsStore;
}  // namespace platform

// Connection modes of a remote image.
enum class ConnectionMode { Direct = 0, SecureProxy = 1, HttpTunnel = 2 };

// The browser options a source reads when it opens, and the few it writes back.
class SourceOptions {
 public:
  virtual ~SourceOptions() = default;
  virtual std::string Get(const std::string& name) const = 0;
  virtual void Set(const std::string& name, const std::string& value) = 0;
};

struct Relay {
  std::string host;
  int port = 0;
};

struct SocketSourceSettings {
  std::string host;
  int port = 30777;
  std::string path;  // "/maps/a.ktq"
  std::optional<Relay> relay;
  bool fixedMode = false;
  std::string timeoutText;
  std::string authString;
  std::string messageFile;
};

struct HttpSourceSettings {
  std::string host;
  std::string httpPort;  // as the page gave it; the source checks its range
  std::string path;
  bool fixedMode = false;
  std::string timeoutText;
  std::string authString;
  std::string messageFile;
  bool post = false;
  bool reloadOnModified = true;
};

// Makes the three kinds of source; each raises CReaderException when it cannot load.
class SourceMakers {
 public:
  virtual ~SourceMakers() = default;
  virtual std::unique_ptr<TileSource> MakeFileSource(const std::string& path, const std::string& messageFile) = 0;
  virtual std::unique_ptr<TileSource> MakeSocketSource(const SocketSourceSettings& settings) = 0;
  virtual std::unique_ptr<TileSource> MakeHttpSource(const HttpSourceSettings& settings) = 0;
};

struct OpenedSource {
  std::unique_ptr<TileSource> source;
  std::string basePath;
  std::string directory;
};

// Chooses and opens the tile source of an image URL: a local file, or a tile server by the
// connection mode the options give, remembering in the settings store which mode was being
// tried and which last worked, and falling back between modes as the options allow.
class SourceOpener {
 public:
  static constexpr const char* kSettingsKey = "Software\\Korvani\\comics";
  static constexpr const char* kProfileSection = "Zolvex Control 1.1";

  SourceOpener(SourceOptions& options, platform::SettingsStore& settings, platform::Dialogs& dialogs,
               SourceMakers& makers);

  // Raises CReaderException when no source could be opened.
  OpenedSource Open(const std::string& url);

  // The relay of a proxy list as the system's Internet settings hold it; none when the
  // list names no https proxy.
  static std::optional<Relay> ParseProxyServer(const std::string& value);
  // The cookie host rule: the authentication URL's host must be the container's host or end
  // in "." + the container's host.
  static bool AuthenticationHostMatches(const std::string& authenUrl, const std::string& containerUrl);

 private:
  struct Target;
  ConnectionMode CurrentMode() const;
  void StoreMode(ConnectionMode mode);
  std::optional<Relay> LookUpRelay() const;
  std::string AuthenticationString() const;
  void AskAboutUnfinishedAttempt(ConnectionMode mode);
  std::unique_ptr<TileSource> Make(ConnectionMode mode, const Target& target, bool trial);
  std::unique_ptr<TileSource> SwitchAfterFailure(ConnectionMode failed, const Target& target, const std::string& error);
  std::unique_ptr<TileSource> RecoverTrial(const Target& target, const std::string& error);
  std::optional<int> Stored(const char* name) const;
  void Remember(const char* name, int value);

  SourceOptions& options_;
  platform::SettingsStore& settings_;
  platform::Dialogs& dialogs_;
  SourceMakers& makers_;
  bool fixedMode_ = false;
  bool autoSwitch_ = false;
  bool noPrompt_ = false;
};

}  // namespace zolvex
