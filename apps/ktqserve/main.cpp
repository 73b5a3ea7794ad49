// ktqserve: a KTQ tile server for the .ktq files under a folder.
//
//   ktqserve ROOT [--bind 127.0.0.1] [--port 30777] [--protocol 10|11] [--auth TOKEN]
//                 [--scramble] [--threads N] [--http-port N] [--clips DIR] [--web DIR]
//
// With --http-port the same process answers the HTTP tunnel for clients behind firewalls.
// With --web it also serves the files of DIR (a web page with the WebAssembly control) on
// that port, so that the page, the control and the tiles come from one origin.
//
// Prints the port it listens on (useful with --port 0) and one line per connection.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

#include "apps/ktqserve/KtqServer.h"

namespace {

std::atomic<bool> stopRequested = false;

void RequestStop(int) { stopRequested = true; }

int Usage(const std::string& problem) {
  if (!problem.empty()) std::cerr << "ktqserve: " << problem << "\n";
  std::cerr << "usage: ktqserve ROOT [--bind ADDRESS] [--port N] [--protocol 10|11] [--auth TOKEN] [--scramble] [--http-port N]"
               " [--threads N] [--clips DIR] [--web DIR]\n";
  return 2;
}

bool ReadNumber(const std::string& text, long low, long high, long& value) {
  try {
    std::size_t used = 0;
    value = std::stol(text, &used);
    return used == text.size() && value >= low && value <= high;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

int main(int argc, char** argv) {
  zolvex::KtqServer::Options options;
  std::mutex logMutex;
  options.log = [&logMutex](const std::string& line) {
    std::lock_guard lock(logMutex);
    std::cout << line << std::endl;
  };
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    long number = 0;
    if (arg == "--bind") {
      const char* v = value();
      if (!v) return Usage("--bind needs an address");
      options.bind = v;
    } else if (arg == "--port") {
      const char* v = value();
      if (!v || !ReadNumber(v, 0, 65535, number)) return Usage("--port needs a number 0-65535");
      options.port = static_cast<std::uint16_t>(number);
    } else if (arg == "--http-port") {
      const char* v = value();
      if (!v || !ReadNumber(v, 0, 65535, number)) return Usage("--http-port needs a number 0-65535");
      options.httpPort = static_cast<int>(number);
    } else if (arg == "--protocol") {
      const char* v = value();
      if (!v || !ReadNumber(v, 10, 11, number)) return Usage("--protocol is 10 or 11");
      options.protocol = static_cast<int>(number);
    } else if (arg == "--auth") {
      const char* v = value();
      if (!v) return Usage("--auth needs a token");
      options.authToken = v;
    } else if (arg == "--threads") {
      const char* v = value();
      if (!v || !ReadNumber(v, 1, 1024, number)) return Usage("--threads needs a number 1-1024");
      options.threads = static_cast<int>(number);
    } else if (arg == "--clips") {
      auto v = value();
      if (!v) return Usage("--clips needs a folder");
      options.clipsFolder = v;
    } else if (arg == "--web") {
      auto v = value();
      if (!v) return Usage("--web needs a folder");
      options.webFolder = v;
    } else if (arg == "--scramble") {
      options.scramble = true;
    } else if (arg == "--help" || arg == "-h") {
      return Usage("");
    } else if (!arg.starts_with("--") && options.root.empty()) {
      options.root = arg;
    } else {
      return Usage("unknown argument " + arg);
    }
  }
  if (options.root.empty()) return Usage("no ROOT folder given");

  zolvex::KtqServer server(options);
  std::string error;
  if (!server.Start(error)) {
    std::cerr << "ktqserve: " << error << "\n";
    return 1;
  }
  std::signal(SIGINT, RequestStop);
  std::signal(SIGTERM, RequestStop);
  options.log("ktqserve: serving " + options.root + " on " + options.bind + " port " + std::to_string(server.Port()));
  if (server.HttpPort() != 0) {
    options.log("ktqserve: HTTP tunnel on " + options.bind + " port " + std::to_string(server.HttpPort()));
    if (!options.webFolder.empty()) {
      options.log("ktqserve: web page at http://" + options.bind + ":" + std::to_string(server.HttpPort()) + "/");
    }
  }
  while (!stopRequested) std::this_thread::sleep_for(std::chrono::milliseconds(200));
  server.Stop();
  return 0;
}
