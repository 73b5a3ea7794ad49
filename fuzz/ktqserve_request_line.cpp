// The tile server's request lines (LOAD, GETTILE, CANCELTILE, GETFILE, GETTHUMB and
// anything else a client may send), fed to a session in chunks whose sizes the input
// chooses: each chunk is one size byte and that many bytes. Whatever arrives, the session
// writes only whole, well-formed frames, at most one answer per line.
#include <future>

#include "apps/ktqserve/KtqServerSession.h"
#include "fuzz/FuzzSupport.h"
#include "fuzz/ServedFolder.h"
#include "platform/WorkerThread.h"
#include "tiles/FrameParser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zolvex;
  static KtqImageStore store(fuzz::ServedFolder(), 11);
  static platform::WorkerThread worker("fuzz-session");
  KtqServerContext context;
  context.store = &store;
  fuzz::InputReader input(data, size);
  context.authToken = input.Byte() % 4 == 0 ? "let me in" : "";
  auto connection = std::make_shared<fuzz::CapturingConnection>();
  std::size_t lines = 0;
  {
    KtqServerSession session(connection, context, worker);
    while (input.Remaining() > 0) {
      std::string_view chunk = input.Take(input.Byte());
      lines += static_cast<std::size_t>(std::count(chunk.begin(), chunk.end(), '\n'));
      session.OnData(reinterpret_cast<const std::uint8_t*>(chunk.data()), chunk.size());
    }
    // Let the worker answer what was queued (one answer per turn), then close.
    for (std::size_t i = 0; i <= lines + 1; ++i) {
      std::promise<void> turn;
      worker.Post([&turn] { turn.set_value(); });
      turn.get_future().wait();
    }
    session.OnClosed();
  }
  std::promise<void> drained;
  worker.Post([&drained] { drained.set_value(); });
  drained.get_future().wait();

  const std::vector<std::uint8_t> written = connection->Written();
  FrameParser parser;
  std::size_t at = 0, answers = 0;
  ServerFrame frame;
  while (at < written.size()) {
    at += parser.Append(written.data() + at, written.size() - at);
    FrameParser::Result result;
    while ((result = parser.Next(frame)) == FrameParser::Result::Frame) ++answers;
    fuzz::Require(result != FrameParser::Result::Broken, "the server writes well-formed frames");
  }
  fuzz::Require(parser.Buffered() == 0, "the server writes whole frames");
  fuzz::Require(answers <= lines, "at most one answer per request line");
  return 0;
}
