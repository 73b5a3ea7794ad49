#include "tiles/TileSocket.h"

#include <algorithm>
#include <vector>

#include "documents/MessageTable.h"
#include "platform/WorkerThread.h"

namespace zolvex {

namespace {
constexpr int kMessageNotFound = 401;
constexpr int kMessageNoConnection = 402;
constexpr int kMessageAccessDenied = 409;
constexpr int kMessageServerBusy = 410;
constexpr int kMessageBadHeader = 411;
constexpr int kMessageNoConnectionFixed = 412;
constexpr int kServerAccessDenied = 401;
constexpr int kServerBusy = 500;
}  // namespace

TileSocket::TileSocket(platform::WorkerThread& worker, KtqConnectionParams params, Events& events)
    : worker_(worker), params_(std::move(params)), events_(events),
      connection_(std::make_unique<platform::TcpConnection>(worker, static_cast<platform::TcpListener&>(*this))) {}

TileSocket::~TileSocket() {
  if (loadTimer_ != 0) worker_.CancelTimer(loadTimer_);
}

void TileSocket::Connect() {
  if (!enabled_) return;
  state_ = State::Connecting;
  sending_ = false;
  connectStarted_ = std::chrono::steady_clock::now();
  const bool relay = params_.UsesRelay();
  const std::uint32_t timeout = params_.timeoutMs > 0 ? static_cast<std::uint32_t>(params_.timeoutMs) : 0;
  connection_->Connect(relay ? params_.relayHost : params_.host, relay ? params_.relayPort : params_.port, timeout);
}

bool TileSocket::Submit(TileRequest& request) {
  if (!enabled_) return false;
  request.id = nextNumber_++;
  sendList_.push_back(request);
  if (state_ == State::Idle) Connect();
  else if (state_ == State::Open && !sending_) WriteSendList();
  return true;
}

void TileSocket::SubmitCancellation(const TileRequest& cancellation) {
  if (state_ != State::Open) return;
  sendList_.push_back(cancellation);
  if (!sending_) WriteSendList();
}

void TileSocket::Close() {
  enabled_ = false;
  Drop();
}

void TileSocket::OnConnected() { StartLoad(); }

void TileSocket::StartLoad() {
  state_ = State::Loading;
  loadAnswer_.Reset();
  frames_.Clear();
  SendBytes(LoadLine(nextNumber_++, params_.imagePath, params_.authString));
  if (params_.timeoutMs <= 0) return;
  std::uint64_t attempt = ++loadAttempt_;
  std::weak_ptr<int> alive = alive_;
  // Connecting and loading share the time-out: LOAD has what connecting left of it.
  const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                           connectStarted_).count();
  const auto left = static_cast<std::uint32_t>(std::max<std::int64_t>(params_.timeoutMs - spent, 1));
  loadTimer_ = worker_.RunAfter(left, [this, alive, attempt] {
    if (alive.lock()) LoadTimedOut(attempt);
  });
}

void TileSocket::LoadTimedOut(std::uint64_t attempt) {
  loadTimer_ = 0;
  if (state_ == State::Loading && attempt == loadAttempt_) FailLoad(Message(kMessageBadHeader));
}

void TileSocket::OnClosed(const std::string&) {
  State was = state_;
  Drop();
  switch (was) {
    case State::Connecting:
      events_.OnLoadFailed(Message(params_.fixedMode ? kMessageNoConnectionFixed : kMessageNoConnection));
      break;
    case State::Loading:
      events_.OnLoadFailed(Message(kMessageBadHeader));
      break;
    case State::Open:
      // A close between frames is the server ending the connection; one inside a frame
      // lost data.
      if (frames_.Buffered() > 0) events_.OnBroken(kConnectionAborted);
      else events_.OnServerClosed();
      break;
    case State::Idle:
      break;
  }
  frames_.Clear();
}

void TileSocket::OnData(const std::uint8_t* data, std::size_t length) {
  if (state_ == State::Loading) {
    std::size_t used = ReadLoadAnswer(data, length);
    data += used;
    length -= used;
  }
  if (state_ == State::Open && length > 0) ReadFrames(data, length);
}

std::size_t TileSocket::ReadLoadAnswer(const std::uint8_t* data, std::size_t length) {
  std::size_t used = loadAnswer_.Feed(data, length);
  switch (loadAnswer_.State()) {
    case LoadAnswerParser::Result::NeedMore:
      break;
    case LoadAnswerParser::Result::Refused:
      FailLoad(LoadRefusedText(loadAnswer_.ErrorCode()));
      break;
    case LoadAnswerParser::Result::Invalid:
      FailLoad(Message(kMessageBadHeader));
      break;
    case LoadAnswerParser::Result::Loaded:
      if (loadTimer_ != 0) worker_.CancelTimer(loadTimer_);
      loadTimer_ = 0;
      description_ = loadAnswer_.Description();
      protocolVersion_ = description_->version;
      loadAnswer_.Reset();
      state_ = State::Open;
      events_.OnLoaded(*description_);
      if (state_ == State::Open) WriteSendList();
      break;
  }
  return used;
}

void TileSocket::ReadFrames(const std::uint8_t* data, std::size_t length) {
  ServerFrame frame;
  while (state_ == State::Open) {
    std::size_t taken = frames_.Append(data, length);
    data += taken;
    length -= taken;
    FrameParser::Result result;
    while ((result = frames_.Next(frame)) == FrameParser::Result::Frame) {
      events_.OnFrame(frame);
      if (state_ != State::Open) return;
    }
    if (result == FrameParser::Result::Broken) {
      Drop();
      events_.OnBroken(kConnectionAborted);
      return;
    }
    if (length == 0) return;
  }
}

void TileSocket::OnWritable() {
  sending_ = false;
  WriteSendList();
}

void TileSocket::WriteSendList() {
  while (state_ == State::Open && !sendList_.empty()) {
    if (connection_->PendingSendBytes() >= kSendWindow) {
      sending_ = true;  // resumed by OnWritable
      return;
    }
    SendBytes(sendList_.front().Line());
    sendList_.pop_front();
  }
  sending_ = false;
}

void TileSocket::SendBytes(const std::string& text) {
  connection_->Send(std::vector<std::uint8_t>(text.begin(), text.end()));
}

void TileSocket::Drop() {
  if (loadTimer_ != 0) worker_.CancelTimer(loadTimer_);
  loadTimer_ = 0;
  connection_->Close();
  state_ = State::Idle;
  sending_ = false;
  sendList_.clear();
  loadAnswer_.Reset();
}

void TileSocket::FailLoad(const std::string& text) {
  Drop();
  events_.OnLoadFailed(text);
}

std::string TileSocket::Message(int number) const {
  return GetMessageText(number, params_.messageFile, params_.imagePath);
}

std::string TileSocket::LoadRefusedText(int errorCode) const {
  if (errorCode == kServerAccessDenied) return Message(kMessageAccessDenied);
  if (errorCode == kServerBusy) return Message(kMessageServerBusy);
  return Message(kMessageNotFound);
}

}  // namespace zolvex
