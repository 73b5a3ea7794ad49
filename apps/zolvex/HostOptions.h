#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zolvex::host {

// The command line of the zolvex program.
struct HostOptions {
  bool headless = false;
  int width = 1024;
  int height = 768;
  std::vector<std::pair<std::string, std::string>> params;  // --param NAME=VALUE, in order
  std::string snapshot;                                     // file to save the frame to
  // --save-area X,Y,W,H,LEVEL OUT: an area in pixels of a level (counted from 1) to save.
  struct SaveArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int level = 0;
    std::string file;
  };
  std::optional<SaveArea> saveArea;
  int timeoutSeconds = 30;
  bool events = false;  // print every event of the control as one JSON line
  std::string script;   // a page script to run against the control
  std::string url;
  bool help = false;
};

// Reads argv; answers nothing and sets error (one line) for bad usage.
std::optional<HostOptions> ParseHostOptions(int argc, char** argv, std::string& error);
std::string HostUsage();

}  // namespace zolvex::host
