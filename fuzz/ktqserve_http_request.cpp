// The tile server's HTTP tunnel: request heads, headers (cookies among them) and bodies, in
// chunks whose sizes the input chooses (a size byte, then that many bytes). Every answer
// the session writes is a whole HTTP response whose Content-Length is its body's length.
#include "apps/ktqserve/KtqHttpSession.h"
#include "fuzz/FuzzSupport.h"
#include "fuzz/ServedFolder.h"

namespace {

// Checks the responses in text front to back; false when one is malformed.
bool WellFormed(std::string_view text) {
  while (!text.empty()) {
    if (text.substr(0, 9) != "HTTP/1.1 ") return false;
    std::size_t end = text.find("\r\n\r\n");
    if (end == std::string_view::npos) return false;
    std::string_view head = text.substr(0, end);
    std::size_t field = head.find("Content-Length: ");
    if (field == std::string_view::npos) return false;
    std::size_t length = std::strtoul(std::string(head.substr(field + 16, 20)).c_str(), nullptr, 10);
    if (text.size() < end + 4 + length) return false;
    text.remove_prefix(end + 4 + length);
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zolvex;
  static KtqImageStore store(fuzz::ServedFolder(), 11);
  KtqServerContext context;
  context.store = &store;
  fuzz::InputReader input(data, size);
  context.authToken = input.Byte() % 2 == 0 ? "ticket=9; user=ann" : "";
  auto connection = std::make_shared<fuzz::CapturingConnection>();
  {
    KtqHttpSession session(connection, context);
    while (input.Remaining() > 0) {
      std::string_view chunk = input.Take(input.Byte());
      session.OnData(reinterpret_cast<const std::uint8_t*>(chunk.data()), chunk.size());
    }
    session.OnClosed();
  }
  const std::vector<std::uint8_t> written = connection->Written();
  fuzz::Require(WellFormed(std::string_view(reinterpret_cast<const char*>(written.data()), written.size())),
                "the tunnel writes whole HTTP responses");
  return 0;
}
