// Start-up of the label designer: from the start of its process until its
// main window has painted for the first time (the program reports it with
// "--first-paint-probe"), beside a bare Qt program that shows an empty
// QMainWindow, both on the offscreen platform, spawned in turn in the same
// run. The designer starts in a fresh user folder each time, as on a first
// start: no parameter file, the built-in texts.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QtGlobal>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/common/Comparison.h"

extern char** environ;

namespace {

// The environment of the spawned programs: the caller's, offscreen, with
// the user's configuration and data folders in a private folder.
class TChildEnvironment {
public:
  TChildEnvironment() {
    char folder[] = "/tmp/label-startup-XXXXXX";
    if (mkdtemp(folder) == nullptr) throw std::runtime_error("no temporary folder");
    Folder = folder;
    for (char** entry = environ; *entry != nullptr; ++entry) {
      const std::string variable = *entry;
      if (!variable.starts_with("QT_QPA_PLATFORM=") && !variable.starts_with("XDG_CONFIG_HOME=") &&
          !variable.starts_with("XDG_DATA_HOME="))
        Variables.push_back(variable);
    }
    Variables.push_back("QT_QPA_PLATFORM=offscreen");
    Variables.push_back("XDG_CONFIG_HOME=" + Folder + "/config");
    Variables.push_back("XDG_DATA_HOME=" + Folder + "/data");
    for (std::string& variable : Variables) Pointers.push_back(variable.data());
    Pointers.push_back(nullptr);
  }
  ~TChildEnvironment() { std::filesystem::remove_all(Folder); }
  TChildEnvironment(const TChildEnvironment&) = delete;
  TChildEnvironment& operator=(const TChildEnvironment&) = delete;

  char** Get() { return Pointers.data(); }
  // A first start each time: what a run left behind is removed.
  void Reset() {
    std::filesystem::remove_all(Folder + "/config");
    std::filesystem::remove_all(Folder + "/data");
  }

private:
  std::string Folder;
  std::vector<std::string> Variables;
  std::vector<char*> Pointers;
};

// Seconds from spawning the program until it reports its first paint; the
// program's exit is awaited but not timed. Raises when it does not report
// or fails.
double SecondsToFirstPaint(const char* program, TChildEnvironment& environment) {
  int channel[2];
  if (pipe(channel) != 0) throw std::runtime_error("no pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, channel[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, channel[0]);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::string option = "--first-paint-probe";
  std::string name = program;
  char* argv[] = {name.data(), option.data(), nullptr};
  environment.Reset();
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  const int spawned = posix_spawn(&child, program, &actions, nullptr, argv, environment.Get());
  posix_spawn_file_actions_destroy(&actions);
  close(channel[1]);
  std::string output;
  double seconds = -1;
  char buffer[256];
  for (ssize_t got; spawned == 0 && (got = read(channel[0], buffer, sizeof buffer)) > 0;) {
    output.append(buffer, static_cast<std::size_t>(got));
    if (seconds < 0 && output.find("painted\n") != std::string::npos)
      seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  close(channel[0]);
  int status = 0;
  if (spawned == 0) waitpid(child, &status, 0);
  if (spawned != 0 || seconds < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error(std::string(program) + " did not report its first paint");
  return seconds;
}

void StartUp(benchmark::State& state) {
  TChildEnvironment environment;
  bench::TPairTimer timer(state);
  try {
    // Only the time to the first paint counts, not the programs' exits: the
    // programs take turns at going first, each time measured by the spawn.
    bool oursFirst = true;
    for (auto _ : state) {
      double ours = 0, reference = 0;
      if (oursFirst) ours = SecondsToFirstPaint(LABEL_DESIGNER_PROGRAM, environment);
      reference = SecondsToFirstPaint(STARTUP_REFERENCE_PROGRAM, environment);
      if (!oursFirst) ours = SecondsToFirstPaint(LABEL_DESIGNER_PROGRAM, environment);
      timer.Add(ours, reference);
      oursFirst = !oursFirst;
    }
  } catch (const std::exception& error) {
    state.SkipWithError(error.what());
    return;
  }
  timer.Report("process start to the main window's first paint, goal <= 3",
               {"labeldesigner: engine start-up, resource thread, TForm1 with three documents, first activation",
                std::string("Qt ") + qVersion() + " QApplication showing an empty QMainWindow"});
}

}  // namespace

BENCHMARK(StartUp)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(bench::MinTime(2.0));
