#include "platform/TcpServer.h"

#include <asio.hpp>

#include <array>
#include <atomic>
#include <mutex>
#include <thread>

#include "platform/WriteQueue.h"

namespace zolvex::platform {

namespace {

class AsioServerConnection : public ServerConnection, public std::enable_shared_from_this<AsioServerConnection> {
 public:
  explicit AsioServerConnection(asio::ip::tcp::socket socket)
      : socket_(std::move(socket)), strand_(asio::make_strand(socket_.get_executor())) {
    asio::error_code ec;
    auto endpoint = socket_.remote_endpoint(ec);
    peer_ = ec ? "unknown" : endpoint.address().to_string() + ":" + std::to_string(endpoint.port());
    socket_.set_option(asio::ip::tcp::no_delay(true), ec);
  }

  void Start(std::unique_ptr<ServerSession> session) {
    session_ = std::move(session);
    asio::dispatch(strand_, [self = shared_from_this()] { self->Read(); });
  }

  void Write(std::vector<std::uint8_t> bytes) override {
    unsent_ += bytes.size();
    asio::dispatch(strand_, [self = shared_from_this(), bytes = std::move(bytes)]() mutable {
      if (self->closed_) {
        self->unsent_ -= bytes.size();
        return;
      }
      self->queue_.Push(std::move(bytes));
      self->WriteNext();
    });
  }

  std::size_t UnsentBytes() const override { return unsent_.load(); }

  void PauseReading() override {
    asio::dispatch(strand_, [self = shared_from_this()] {
      self->sessionPaused_ = true;
      // No read is outstanding now, and maybe no write: the connection keeps itself.
      self->keepAlive_ = self;
    });
  }

  void ResumeReading() override {
    asio::dispatch(strand_, [self = shared_from_this()] {
      self->sessionPaused_ = false;
      self->ReadIfAllowed();
      self->keepAlive_.reset();  // the read (or the writes it waits for) hold it now
    });
  }

  void CallWhenWritable() override {
    asio::dispatch(strand_, [self = shared_from_this()] {
      self->notifyWritable_ = true;
      self->Drained();
    });
  }

  void CloseAfterWrites() override {
    asio::dispatch(strand_, [self = shared_from_this()] {
      self->closeWhenDrained_ = true;
      if (self->queue_.Empty()) self->Shut();
    });
  }

  void Close() override {
    asio::dispatch(strand_, [self = shared_from_this()] { self->Shut(); });
  }

  std::string Peer() const override { return peer_; }

  void Shut() {
    if (closed_) return;
    closed_ = true;
    asio::error_code ignored;
    socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    socket_.close(ignored);
    // The unsent answers go now, and their memory with them.
    queue_.Clear();
    unsent_ = 0;
    keepAlive_.reset();
    if (session_) {
      session_->OnClosed();
      session_.reset();  // the session may hold this connection: break the cycle
    }
  }

 private:
  void Read() {
    reading_ = true;
    socket_.async_read_some(asio::buffer(buffer_),
                            asio::bind_executor(strand_, [self = shared_from_this()](const std::error_code& ec, std::size_t n) {
                              self->reading_ = false;
                              if (self->closed_) return;
                              if (ec) return self->Shut();
                              if (self->session_) self->session_->OnData(self->buffer_.data(), n);
                              self->ReadIfAllowed();
                            }));
  }

  // Reads on unless the session paused or the peer leaves too much unread.
  void ReadIfAllowed() {
    if (closed_ || reading_ || sessionPaused_) return;
    if (unsent_.load() > kUnsentHighWater) {
      readBlocked_ = true;
      return;
    }
    Read();
  }

  void Drained() {
    if (closed_ || unsent_.load() > kUnsentLowWater) return;
    if (notifyWritable_) {
      notifyWritable_ = false;
      if (session_) session_->OnWritable();
    }
    if (readBlocked_) {
      readBlocked_ = false;
      ReadIfAllowed();
    }
  }

  void WriteNext() {
    if (writing_ || queue_.Empty() || closed_) return;
    writing_ = true;
    auto buffers = queue_.Front();
    const std::size_t blocks = buffers.size();
    asio::async_write(socket_, std::move(buffers),
                      asio::bind_executor(strand_, [self = shared_from_this(), blocks](const std::error_code& ec,
                                                                                       std::size_t) {
                        self->writing_ = false;
                        if (self->closed_) return;
                        if (ec) return self->Shut();
                        self->unsent_ -= self->queue_.Pop(blocks);
                        if (self->queue_.Empty() && self->closeWhenDrained_) return self->Shut();
                        self->WriteNext();
                        self->Drained();
                      }));
  }

  asio::ip::tcp::socket socket_;
  asio::strand<asio::ip::tcp::socket::executor_type> strand_;
  std::unique_ptr<ServerSession> session_;
  std::array<std::uint8_t, 16384> buffer_{};
  WriteQueue queue_;
  std::string peer_;
  std::atomic<std::size_t> unsent_ = 0;
  // Set while the session has paused reading: then no handler holds the connection.
  std::shared_ptr<AsioServerConnection> keepAlive_;
  bool writing_ = false;
  bool reading_ = false;
  bool sessionPaused_ = false;
  bool readBlocked_ = false;      // reading stopped for the unsent bytes
  bool notifyWritable_ = false;   // the session waits for OnWritable
  bool closed_ = false;
  bool closeWhenDrained_ = false;
};

}  // namespace

class TcpServer::Impl {
 public:
  // The acceptor lives on a strand: accepting again and closing never run at once.
  Impl() : acceptStrand_(asio::make_strand(io_)), acceptor_(acceptStrand_), guard_(asio::make_work_guard(io_)) {}

  void Accept() {
    acceptor_.async_accept([this](const std::error_code& ec, asio::ip::tcp::socket socket) {
      if (!acceptor_.is_open()) return;
      if (!ec) {
        auto connection = std::make_shared<AsioServerConnection>(std::move(socket));
        {
          std::lock_guard lock(mutex_);
          std::erase_if(connections_, [](const std::weak_ptr<AsioServerConnection>& c) { return c.expired(); });
          connections_.push_back(connection);
        }
        connection->Start(factory_(connection));
      }
      Accept();
    });
  }

  asio::io_context io_;
  asio::strand<asio::io_context::executor_type> acceptStrand_;
  asio::ip::tcp::acceptor acceptor_;
  asio::executor_work_guard<asio::io_context::executor_type> guard_;
  SessionFactory factory_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::vector<std::weak_ptr<AsioServerConnection>> connections_;
};

TcpServer::TcpServer() : impl_(std::make_unique<Impl>()) {}
TcpServer::~TcpServer() { Stop(); }

bool TcpServer::Listen(const std::string& address, std::uint16_t port, SessionFactory factory, std::string& error) {
  asio::error_code ec;
  auto ip = asio::ip::make_address(address, ec);
  if (ec) {
    error = "bad address " + address + ": " + ec.message();
    return false;
  }
  asio::ip::tcp::endpoint endpoint(ip, port);
  impl_->acceptor_.open(endpoint.protocol(), ec);
  if (!ec) impl_->acceptor_.set_option(asio::ip::tcp::acceptor::reuse_address(true), ec);
  if (!ec) impl_->acceptor_.bind(endpoint, ec);
  if (!ec) impl_->acceptor_.listen(asio::socket_base::max_listen_connections, ec);
  if (ec) {
    error = "cannot listen on " + address + ":" + std::to_string(port) + ": " + ec.message();
    return false;
  }
  impl_->factory_ = std::move(factory);
  impl_->Accept();
  return true;
}

std::uint16_t TcpServer::Port() const {
  asio::error_code ec;
  auto endpoint = impl_->acceptor_.local_endpoint(ec);
  return ec ? 0 : endpoint.port();
}

void TcpServer::Start(int threads) {
  for (int i = 0; i < std::max(threads, 1); ++i) impl_->threads_.emplace_back([this] { impl_->io_.run(); });
}

void TcpServer::Stop() {
  asio::post(impl_->acceptStrand_, [this] {
    asio::error_code ignored;
    impl_->acceptor_.close(ignored);
  });
  {
    std::lock_guard lock(impl_->mutex_);
    for (auto& weak : impl_->connections_) {
      if (auto connection = weak.lock()) connection->Close();
    }
  }
  impl_->guard_.reset();
  if (impl_->threads_.empty()) {
    impl_->io_.run();  // let the closing handlers run
  }
  for (auto& t : impl_->threads_) {
    if (t.joinable()) t.join();
  }
  impl_->threads_.clear();
}

}  // namespace zolvex::platform
