// A shell whose folder answer the test chooses and which records, instead of
// running, every ShellExecute and every program started.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace sondalink::fake::shell {

struct ShellCall {
  std::string operation, file, parameters, directory;
  int show;
  bool operator==(const ShellCall&) const = default;
  friend std::ostream& operator<<(std::ostream& os, const ShellCall& c) {
    return os << c.operation << " [" << c.file << "] [" << c.parameters << "] [" << c.directory << "] " << c.show;
  }
};

struct StartCall {
  std::string commandLine;
  int show;
  bool operator==(const StartCall&) const = default;
  friend std::ostream& operator<<(std::ostream& os, const StartCall& c) { return os << c.show << " " << c.commandLine; }
};

struct State {
  // What GetFolderPath answers: by default result 0 and an empty buffer.
  Outcome<platform::shell::FolderPath> folder = platform::shell::FolderPath{};
  std::vector<int> folderRequests;  // the folder argument of every call
  std::vector<ShellCall> shellCalls;
  std::vector<StartCall> started;
  ErrorRecord shellError;  // returned by ShellExecute when set
  ErrorRecord startError;  // returned by StartProgram when set
};

State& Get();
void Reset();

// GetFolderPath succeeds with this path.
void SetFolder(const std::string& path);

}  // namespace sondalink::fake::shell
