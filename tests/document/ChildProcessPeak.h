#pragma once
// Runs a piece of work in a child process and reports how far it raised the
// process's peak resident memory above what the child had at the start, so
// a test can bound what one entry point costs without its own process's
// history counting. The child ends when the work returns (exit 0), raises
// (exit 2) or outlives the time allowed (killed by its alarm).

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <string>

namespace doctest {

struct TChildOutcome {
  bool Finished = false;  // exited on its own with code 0
  std::string Failure;    // what the work raised, or how the child ended
  long PeakGrowthKb = 0;  // VmHWM at the end minus VmRSS at the start
};

// One "Name:   <n> kB" line of /proc/self/status; -1 when missing.
inline long ProcessStatusKb(const std::string& name) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind(name + ":", 0) == 0) return std::stol(line.substr(name.size() + 1));
  return -1;
}

inline TChildOutcome RunInChild(const std::function<void()>& work, unsigned timeoutSeconds) {
  int channel[2];
  if (pipe(channel) != 0) return {false, "no pipe", 0};
  const pid_t child = fork();
  if (child < 0) return {false, "no fork", 0};
  if (child == 0) {
    close(channel[0]);
    alarm(timeoutSeconds);
    // The peak is reset to what is resident now (Linux 4.0 and later).
    std::ofstream("/proc/self/clear_refs") << "5";
    const long start = ProcessStatusKb("VmRSS");
    std::string report;
    int code = 0;
    try {
      work();
      report = std::to_string(ProcessStatusKb("VmHWM") - start);
    } catch (const std::exception& error) {
      report = error.what();
      code = 2;
    } catch (...) {
      report = "an exception of no standard class";
      code = 2;
    }
    [[maybe_unused]] const ssize_t written = write(channel[1], report.data(), report.size());
    _exit(code);
  }
  close(channel[1]);
  std::string report;
  char buffer[256];
  for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;) report.append(buffer, std::size_t(got));
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  TChildOutcome outcome;
  if (WIFSIGNALED(status)) {
    outcome.Failure = "killed by signal " + std::to_string(WTERMSIG(status)) + " (past the time allowed?)";
  } else if (WEXITSTATUS(status) != 0) {
    outcome.Failure = report;
  } else {
    outcome.Finished = true;
    outcome.PeakGrowthKb = std::stol(report);
  }
  return outcome;
}

}  // namespace doctest
