#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "apps/ktqserve/ClipStore.h"
#include "apps/ktqserve/KtqImageStore.h"
#include "apps/ktqserve/KtqServerSession.h"
#include "apps/ktqserve/WebFolder.h"
#include "platform/TcpServer.h"

namespace zolvex {

namespace platform {
class WorkerThread;
}

// A KTQ tile server: serves every .ktq file under a root folder by its path, with the
// files beside each image attached to its description, named files and other images'
// thumbnails. Network I/O runs on a pool of threads; answers are made on a pool of
// workers, each connection on one of them.
class KtqServer {
 public:
  struct Options {
    std::string root;
    std::string bind = "127.0.0.1";
    std::uint16_t port = 30777;  // 0: any free port
    int protocol = 11;           // 10 or 11
    std::string authToken;       // empty: every client is let in
    bool scramble = false;       // version 11: tiles sent scrambled
    int threads = 0;             // 0: one per core
    int httpPort = -1;           // the HTTP tunnel's port: -1 none, 0 any free one
    std::string clipsFolder;     // uploaded clips, received and served on the HTTP port; empty: none
    std::string webFolder;       // a web page's files, served on the HTTP port; empty: none
    std::function<void(const std::string&)> log;  // one line per connection
  };

  explicit KtqServer(Options options);
  ~KtqServer();
  KtqServer(const KtqServer&) = delete;
  KtqServer& operator=(const KtqServer&) = delete;

  // Listens and starts serving; false with the reason in error.
  bool Start(std::string& error);
  std::uint16_t Port() const { return server_.Port(); }
  // The HTTP tunnel's port; 0 when it does not run.
  std::uint16_t HttpPort() const { return http_ ? http_->Port() : 0; }
  void Stop();

 private:
  platform::WorkerThread& NextWorker();

  Options options_;
  KtqImageStore store_;
  std::unique_ptr<ClipStore> clips_;
  std::unique_ptr<WebFolder> web_;
  KtqServerContext context_;
  // Declared before the workers: connections that answers still hold are released by
  // the workers' destruction, while the server's network loop still exists.
  platform::TcpServer server_;
  std::unique_ptr<platform::TcpServer> http_;
  std::vector<std::unique_ptr<platform::WorkerThread>> workers_;
  std::atomic<std::size_t> nextWorker_ = 0;
  bool started_ = false;
};

}  // namespace zolvex
