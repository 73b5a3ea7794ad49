#pragma once
#include <chrono>
#include <fstream>
#include <thread>
#include <iterator>
#include <string>

#include "FakeKtqServer.h"
#include "tests/support/TestSupport.h"
#include "tiles/KtqConnectionParams.h"

namespace zolvex::test {

// The bytes of a small picture that ImageMagick encodes, e.g. PictureBytes("xc:#FF0000", "jpg").
inline Bytes PictureBytes(const std::string& picture, const std::string& extension, int size = 16) {
  TempDir dir;
  std::string file = dir.File("picture." + extension);
  if (!MagickRun("-size " + std::to_string(size) + "x" + std::to_string(size) + " " + picture + " " + file)) return {};
  std::ifstream in(file, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline KtqConnectionParams LocalParams(std::uint16_t port, int timeoutMs = 5000) {
  KtqConnectionParams params;
  params.host = "127.0.0.1";
  params.port = port;
  params.imagePath = "/maps/a.ktq";
  params.timeoutMs = timeoutMs;
  return params;
}

// The request number at the start of a request line.
inline std::int32_t NumberOf(const std::string& line) { return std::stoi(line); }
// Polls pred until it holds (10 s at most).
template <typename Pred>
bool WaitUntil(Pred pred) {
  for (int i = 0; i < 2000; ++i) {
    if (pred()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return pred();
}

inline bool IsLoad(const std::string& line) { return line.find(" LOAD \"") != std::string::npos; }

}  // namespace zolvex::test
