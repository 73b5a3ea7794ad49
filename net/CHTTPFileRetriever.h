#pragma once
#include <atomic>
#include <condition_variable>
#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "net/FetchUrl.h"
#include "platform/HttpClient.h"

namespace zolvex {

// The download worker: one HTTP request on a thread of its own, with its own client
// context and transfer settings, which the creator can abandon. The creator talks to it by
// messages; the thread ends on Discard or Finish and is joined by the destructor.
class CHTTPFileRetriever {
 public:
  static constexpr int kFirstUserMessage = 1024;
  enum Message : int {
    Probe = kFirstUserMessage + 2,    // no effect; tells the creator the queue exists
    Fetch = kFirstUserMessage + 3,    // perform the request, then set the done flag
    Discard = kFirstUserMessage + 4,  // drop the result and end (a running request is cut short)
    Finish = kFirstUserMessage + 5    // end; the result belongs to the creator
  };

  CHTTPFileRetriever();  // starts the thread
  ~CHTTPFileRetriever();  // discards an unclaimed request and waits for the thread
  CHTTPFileRetriever(const CHTTPFileRetriever&) = delete;
  CHTTPFileRetriever& operator=(const CHTTPFileRetriever&) = delete;

  // Fields the creator sets before posting Fetch.
  void SetTransferSettings(const platform::HttpTransferSettings& settings);
  // With post 1 and a non-empty authentication string, the request is a POST with the string
  // as body; otherwise a GET with the string installed as cookies.
  void SetRequest(const std::string& url, const std::string& authentication, int post);

  // Queues a message; false once the thread has ended.
  bool PostMessage(Message message);
  // True once the result of Fetch is stored (acquire ordering).
  bool IsDone() const { return done_.load(std::memory_order_acquire); }
  // Waits until done or until the time-out passes; true when done.
  bool WaitDone(std::chrono::milliseconds timeout);
  // The stored result; call only after IsDone. The bytes move to the caller.
  FetchResult TakeResult();

  // The creator's whole road: start a worker, fetch, wait up to overallTimeoutMs. Done in time:
  // the result and Finish. Not done: Discard, and none.
  static std::optional<FetchResult> Retrieve(const std::string& url, const std::string& authentication, int post,
                                             const platform::HttpTransferSettings& settings, int overallTimeoutMs);

 private:
  void Run();
  void PerformFetch();

  // Fields, set by the creator before Fetch and by the worker during it.
  std::string url_;
  std::string authentication_;
  int post_ = 0;
  platform::HttpTransferSettings settings_;
  FetchResult result_;
  std::atomic<bool> done_{false};
  std::atomic<bool> cancel_{false};

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable doneSignal_;
  std::deque<Message> queue_;
  bool ended_ = false;
  std::thread thread_;
};

}  // namespace zolvex
