#include "net/CHTTPFileRetriever.h"

#include <memory>

namespace zolvex {

CHTTPFileRetriever::CHTTPFileRetriever() : thread_([this] { Run(); }) {}

CHTTPFileRetriever::~CHTTPFileRetriever() {
  PostMessage(Discard);
  thread_.join();
}

void CHTTPFileRetriever::SetTransferSettings(const platform::HttpTransferSettings& settings) {
  std::lock_guard lock(mutex_);
  settings_ = settings;
}

void CHTTPFileRetriever::SetRequest(const std::string& url, const std::string& authentication, int post) {
  std::lock_guard lock(mutex_);
  url_ = url;
  authentication_ = authentication;
  post_ = post;
}

bool CHTTPFileRetriever::PostMessage(Message message) {
  {
    std::lock_guard lock(mutex_);
    if (ended_) return false;
    queue_.push_back(message);
  }
  // A discarded request need not run to its time-outs: its result is dropped anyway.
  if (message == Discard) cancel_.store(true);
  wake_.notify_one();
  return true;
}

bool CHTTPFileRetriever::WaitDone(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return doneSignal_.wait_for(lock, timeout, [this] { return IsDone(); });
}

FetchResult CHTTPFileRetriever::TakeResult() {
  std::lock_guard lock(mutex_);
  return std::move(result_);
}

void CHTTPFileRetriever::Run() {
  for (;;) {
    Message message;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return !queue_.empty(); });
      message = queue_.front();
      queue_.pop_front();
      if (message == Discard) result_ = FetchResult::Failure(0, "discarded");
      if (message == Discard || message == Finish) {
        ended_ = true;
        return;
      }
    }
    if (message == Fetch) PerformFetch();
  }
}

void CHTTPFileRetriever::PerformFetch() {
  HttpFetch fetch;
  {
    std::lock_guard lock(mutex_);
    fetch.url = url_;
    fetch.authentication = authentication_;
    fetch.post = post_ == 1;
    fetch.settings = settings_;
  }
  fetch.bypassCache = true;
  fetch.cancel = &cancel_;
  // Each request has a client context of its own, released when it ends.
  std::unique_ptr<platform::HttpClient> client = platform::CreateHttpClient();
  FetchResult result = PerformHttpFetch(*client, fetch);
  {
    std::lock_guard lock(mutex_);
    result_ = std::move(result);
    done_.store(true, std::memory_order_release);
  }
  doneSignal_.notify_all();
}

std::optional<FetchResult> CHTTPFileRetriever::Retrieve(const std::string& url, const std::string& authentication,
                                                        int post, const platform::HttpTransferSettings& settings,
                                                        int overallTimeoutMs) {
  CHTTPFileRetriever worker;
  worker.SetTransferSettings(settings);
  worker.PostMessage(Probe);
  worker.SetRequest(url, authentication, post);
  worker.PostMessage(Fetch);
  if (!worker.WaitDone(std::chrono::milliseconds(overallTimeoutMs))) {
    worker.PostMessage(Discard);
    return std::nullopt;
  }
  FetchResult result = worker.TakeResult();
  worker.PostMessage(Finish);
  return result;
}

}  // namespace zolvex
