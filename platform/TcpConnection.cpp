#include "platform/TcpConnection.h"

#include <array>

#include "platform/WorkerLoop.h"
#include "platform/WriteQueue.h"

namespace zolvex::platform {

class TcpConnection::Impl : public std::enable_shared_from_this<TcpConnection::Impl> {
 public:
  Impl(asio::io_context& io, TcpListener& listener)
      : resolver_(io), socket_(io), deadline_(io), listener_(&listener) {}

  void Connect(const std::string& host, std::uint16_t port, std::uint32_t timeoutMs) {
    CloseSocket();
    connecting_ = true;
    auto self = shared_from_this();
    if (timeoutMs > 0) {
      deadline_.expires_after(std::chrono::milliseconds(timeoutMs));
      deadline_.async_wait([self](const std::error_code& ec) {
        if (!ec && self->connecting_) self->Fail("connection timed out");
      });
    }
    resolver_.async_resolve(host, std::to_string(port),
                            [self](const std::error_code& ec, asio::ip::tcp::resolver::results_type results) {
                              if (!self->connecting_) return;
                              if (ec) return self->Fail(ec.message());
                              asio::async_connect(self->socket_, results,
                                                  [self](const std::error_code& error, const asio::ip::tcp::endpoint&) {
                                                    self->Connected(error);
                                                  });
                            });
  }

  void Connected(const std::error_code& ec) {
    if (!connecting_) return;
    if (ec) return Fail(ec.message());
    connecting_ = false;
    deadline_.cancel();
    open_ = true;
    asio::error_code ignored;
    socket_.set_option(asio::ip::tcp::no_delay(true), ignored);
    if (listener_) listener_->OnConnected();
    Read();
    Write();
  }

  void Read() {
    auto self = shared_from_this();
    socket_.async_read_some(asio::buffer(buffer_), [self](const std::error_code& ec, std::size_t n) {
      if (!self->open_) return;
      if (ec) return self->Fail(ec == asio::error::eof ? "connection closed by peer" : ec.message());
      if (self->listener_) self->listener_->OnData(self->buffer_.data(), n);
      if (self->open_) self->Read();
    });
  }

  void Send(std::vector<std::uint8_t> bytes) {
    pendingBytes_ += bytes.size();
    queue_.Push(std::move(bytes));
    if (open_ && !writing_) Write();
  }

  void Write() {
    if (writing_ || queue_.Empty() || !open_) return;
    writing_ = true;
    auto self = shared_from_this();
    auto buffers = queue_.Front();
    const std::size_t blocks = buffers.size();
    asio::async_write(socket_, std::move(buffers), [self, blocks](const std::error_code& ec, std::size_t) {
      self->writing_ = false;
      if (!self->open_) return;
      if (ec) return self->Fail(ec.message());
      self->pendingBytes_ -= self->queue_.Pop(blocks);
      if (self->queue_.Empty()) {
        if (self->listener_) self->listener_->OnWritable();
      } else {
        self->Write();
      }
    });
  }

  void Fail(const std::string& reason) {
    bool report = open_ || connecting_;
    CloseSocket();
    if (report && listener_) listener_->OnClosed(reason);
  }

  void CloseSocket() {
    open_ = false;
    connecting_ = false;
    asio::error_code ignored;
    resolver_.cancel();
    deadline_.cancel();
    socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    socket_.close(ignored);
    queue_.Clear();
    pendingBytes_ = 0;
  }

  asio::ip::tcp::resolver resolver_;
  asio::ip::tcp::socket socket_;
  asio::steady_timer deadline_;
  TcpListener* listener_;
  std::array<std::uint8_t, 65536> buffer_{};
  WriteQueue queue_;
  std::size_t pendingBytes_ = 0;
  bool open_ = false;
  bool connecting_ = false;
  bool writing_ = false;
};

TcpConnection::TcpConnection(WorkerThread& worker, TcpListener& listener)
    : impl_(std::make_shared<Impl>(worker.Loop().Io(), listener)) {}

TcpConnection::~TcpConnection() {
  impl_->listener_ = nullptr;
  impl_->CloseSocket();
}

void TcpConnection::Connect(const std::string& host, std::uint16_t port, std::uint32_t timeoutMs) {
  impl_->Connect(host, port, timeoutMs);
}
void TcpConnection::Send(std::vector<std::uint8_t> bytes) { impl_->Send(std::move(bytes)); }
void TcpConnection::Close() { impl_->CloseSocket(); }
bool TcpConnection::IsOpen() const { return impl_->open_; }
bool TcpConnection::IsConnecting() const { return impl_->connecting_; }
std::size_t TcpConnection::PendingSendBytes() const { return impl_->pendingBytes_; }

}  // namespace zolvex::platform
