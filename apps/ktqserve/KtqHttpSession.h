#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "apps/ktqserve/KtqServerSession.h"
#include "platform/TcpServer.h"

namespace zolvex {

// One connection to the HTTP tunnel of the tile server, for clients whose firewall blocks
// the tile server's port. Requests name an image and what is wanted of it:
//   IMAGE/a1                    the image description (version 11)
//   IMAGE/b1RRRRRCCCCCLLLLL     the tile at row R, column C, level L (version 11 payload)
//   NAME/c0                     a named file
//   IMAGE/d0                    another image's thumbnail block
// Every answer body starts with a 12-byte frame header, as on the direct connection.
// Keep-alive connections carry any number of requests.
class KtqHttpSession : public platform::ServerSession {
 public:
  static constexpr std::size_t kMaxHeaderBytes = 16384;
  static constexpr std::size_t kMaxBodyBytes = 65536;

  KtqHttpSession(std::shared_ptr<platform::ServerConnection> connection, const KtqServerContext& context);
  void OnData(const std::uint8_t* data, std::size_t length) override;
  void OnWritable() override;
  void OnClosed() override;

  struct Answer {
    int status = 200;
    std::vector<std::uint8_t> body;
    std::int64_t lastModified = 0;  // seconds since 1970, 0: none
    std::string contentType = "application/octet-stream";
  };
  // The answer to one request (exposed for tests).
  static Answer AnswerFor(const KtqServerContext& context, const std::string& method, const std::string& path,
                          const std::string& cookies, const std::string& body);

 private:
  // Answers the buffered requests while the client reads what it is sent; otherwise stops
  // reading until it has (OnWritable goes on).
  void AnswerBuffered();
  // Uploads to "/clips" and downloads of "/clips/NAME.clip".
  static Answer ClipAnswer(const KtqServerContext& context, const std::string& method, const std::string& path,
                           const std::string& body);
  bool HandleBuffered();
  void Respond(const Answer& answer, bool keepAlive);

  std::weak_ptr<platform::ServerConnection> connection_;
  const KtqServerContext& context_;
  std::string buffer_;
  int requests_ = 0;
  std::uint64_t bytes_ = 0;
  std::string peer_;
  bool waitingForWritable_ = false;
};

}  // namespace zolvex
