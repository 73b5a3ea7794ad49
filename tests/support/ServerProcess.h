#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

namespace zolvex::test {

// A server program run for a test: started with its arguments, its port read from the
// first line of its output that ends in "port N", stopped (SIGTERM, then SIGKILL) when
// the object goes.
class ServerProcess {
 public:
  ServerProcess(const std::string& program, const std::vector<std::string>& arguments);
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  bool Running() const { return pid_ > 0 && port_ > 0; }
  int Port() const { return port_; }
  pid_t Pid() const { return pid_; }
  // The program's resident memory in MB (from /proc), -1 when it is not running.
  long ResidentMb() const;
  // Every port the server announced ("... port N" lines), in order.
  const std::vector<int>& Ports() const { return ports_; }
  // The output read so far (the announcement lines).
  const std::string& Output() const { return output_; }
  void Stop();

 private:
  pid_t pid_ = -1;
  int output_fd_ = -1;
  int port_ = 0;
  std::vector<int> ports_;
  std::string output_;
};

}  // namespace zolvex::test
