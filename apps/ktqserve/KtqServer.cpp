#include "apps/ktqserve/KtqServer.h"

#include <filesystem>
#include <thread>

#include "apps/ktqserve/KtqHttpSession.h"
#include "platform/WorkerThread.h"

namespace zolvex {

KtqServer::KtqServer(Options options)
    : options_(std::move(options)), store_(options_.root, options_.protocol == 10 ? 10 : 11) {
  context_.store = &store_;
  context_.authToken = options_.authToken;
  context_.scramble = options_.scramble;
  context_.log = options_.log;
  if (!options_.clipsFolder.empty()) {
    clips_ = std::make_unique<ClipStore>(options_.clipsFolder);
    context_.clips = clips_.get();
    // Clips come over HTTP: without a port of its own the tunnel takes any free one.
    if (options_.httpPort < 0) options_.httpPort = 0;
  }
  if (!options_.webFolder.empty()) {
    web_ = std::make_unique<WebFolder>(options_.webFolder);
    context_.web = web_.get();
    if (options_.httpPort < 0) options_.httpPort = 0;
  }
}

KtqServer::~KtqServer() { Stop(); }

bool KtqServer::Start(std::string& error) {
  std::error_code fsError;
  if (!std::filesystem::is_directory(options_.root, fsError)) {
    error = "not a folder: " + options_.root;
    return false;
  }
  if (clips_ && !std::filesystem::is_directory(options_.clipsFolder, fsError)) {
    error = "not a folder for clips: " + options_.clipsFolder;
    return false;
  }
  int threads = options_.threads > 0 ? options_.threads : static_cast<int>(std::thread::hardware_concurrency());
  threads = std::max(threads, 1);
  for (int i = 0; i < threads; ++i)
    workers_.push_back(std::make_unique<platform::WorkerThread>("ktqserve-" + std::to_string(i)));
  auto factory = [this](std::shared_ptr<platform::ServerConnection> connection) {
    return std::make_unique<KtqServerSession>(std::move(connection), context_, NextWorker());
  };
  if (!server_.Listen(options_.bind, options_.port, factory, error)) return false;
  if (options_.httpPort >= 0) {
    http_ = std::make_unique<platform::TcpServer>();
    auto tunnel = [this](std::shared_ptr<platform::ServerConnection> connection) {
      return std::make_unique<KtqHttpSession>(std::move(connection), context_);
    };
    if (!http_->Listen(options_.bind, static_cast<std::uint16_t>(options_.httpPort), tunnel, error)) return false;
    http_->Start(threads);
  }
  server_.Start(threads);
  started_ = true;
  return true;
}

void KtqServer::Stop() {
  if (!started_) return;
  started_ = false;
  server_.Stop();
  if (http_) http_->Stop();
  for (auto& worker : workers_) worker->Stop();
}

platform::WorkerThread& KtqServer::NextWorker() { return *workers_[nextWorker_++ % workers_.size()]; }

}  // namespace zolvex
