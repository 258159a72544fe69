#include "fakes/fake_shell.h"

namespace sondalink {
namespace fake::shell {

State& Get() {
  static State state;
  return state;
}

void Reset() { Get() = State{}; }

void SetFolder(const std::string& path) {
  Get().folder = platform::shell::FolderPath{0, path};
}

}  // namespace fake::shell

namespace platform::shell {

Outcome<FolderPath> GetFolderPath(int folder) {
  fake::shell::Get().folderRequests.push_back(folder);
  return fake::shell::Get().folder;
}

ErrorRecord ShellExecute(const std::string& operation, const std::string& file,
                         const std::string& parameters, const std::string& directory,
                         int show) {
  auto& s = fake::shell::Get();
  s.shellCalls.push_back({operation, file, parameters, directory, show});
  return s.shellError;
}

ErrorRecord StartProgram(const std::string& commandLine, int show) {
  auto& s = fake::shell::Get();
  s.started.push_back({commandLine, show});
  return s.startError;
}

}  // namespace platform::shell
}  // namespace sondalink
