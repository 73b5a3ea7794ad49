#pragma once
#include <cstdint>
#include <string>

namespace zolvex {

// Where and how a connection to a tile server is made.
struct KtqConnectionParams {
  static constexpr std::uint16_t kDefaultPort = 30777;
  static constexpr int kDefaultTimeoutMs = 50000;

  std::string host;
  std::uint16_t port = kDefaultPort;
  // A relay (secure proxy) used instead of the server when both are set.
  std::string relayHost;
  std::uint16_t relayPort = 0;
  std::string imagePath;    // the path part of the image's URL, "/maps/a.ktq"
  std::string authString;   // sent percent-escaped after LOAD when not empty
  std::string messageFile;  // message file for error texts ("ErrorMsgXml")
  bool fixedMode = false;   // the page fixed the connection mode: message 412 instead of 402
  // Bounds connecting and the wait for the answer to LOAD.
  int timeoutMs = kDefaultTimeoutMs;

  bool UsesRelay() const { return !relayHost.empty() && relayPort > 0; }
};

}  // namespace zolvex
