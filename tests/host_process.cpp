#include "tests/host_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

constexpr int kSilenceLimitMs = 120000;

void StartChild(const std::vector<std::string>& args, const std::string& settings_file, int in_fd, int out_fd,
                int err_fd) {
  dup2(in_fd, 0);
  dup2(out_fd, 1);
  dup2(err_fd, 2);
  setenv("TENU_SETTINGS_FILE", settings_file.c_str(), 1);
  // An English locale, whatever the tests run under: the engine's messages
  // then carry their English glosses.
  unsetenv("LC_ALL");
  unsetenv("LC_MESSAGES");
  setenv("LANG", "C.UTF-8", 1);
  std::vector<char*> argv;
  std::string program = TENU_PROGRAM;
  argv.push_back(program.data());
  std::vector<std::string> copies = args;
  for (std::string& arg : copies) argv.push_back(arg.data());
  argv.push_back(nullptr);
  execv(TENU_PROGRAM, argv.data());
  _exit(127);
}

int WaitFor(int pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs the child; its standard output is read unless broken says otherwise.
// A child still running after time_limit_s seconds (0: no limit) is killed.
ProcessResult Run(const std::vector<std::string>& args, const std::string& input, const std::string& settings_file,
                  const BrokenOutput* broken, int time_limit_s = 0) {
  int in_pipe[2], out_pipe[2], err_pipe[2];
  if (pipe(in_pipe) != 0 || pipe(out_pipe) != 0 || pipe(err_pipe) != 0) return {};
  const bool full = broken != nullptr && *broken == BrokenOutput::FullDevice;
  if (broken != nullptr && *broken == BrokenOutput::ClosedPipe) close(out_pipe[0]);
  const int pid = fork();
  if (pid == 0) {
    close(in_pipe[1]);
    if (broken == nullptr) close(out_pipe[0]);
    close(err_pipe[0]);
    signal(SIGPIPE, broken != nullptr ? SIG_IGN : SIG_DFL);
    const int out = full ? open("/dev/full", O_WRONLY) : out_pipe[1];
    StartChild(args, settings_file, in_pipe[0], out, err_pipe[1]);
  }
  close(in_pipe[0]);
  close(out_pipe[1]);
  close(err_pipe[1]);
  signal(SIGPIPE, SIG_IGN);
  ProcessResult result;
  size_t written = 0;
  bool input_open = true;
  if (input.empty()) {
    close(in_pipe[1]);
    input_open = false;
  }
  bool out_open = broken == nullptr, err_open = true;
  if (full) close(out_pipe[0]);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(time_limit_s);
  bool killed = false;
  while (out_open || err_open) {
    pollfd fds[3];
    int count = 0;
    if (out_open) fds[count++] = {out_pipe[0], POLLIN, 0};
    if (err_open) fds[count++] = {err_pipe[0], POLLIN, 0};
    if (input_open) fds[count++] = {in_pipe[1], POLLOUT, 0};
    int wait_ms = -1;
    if (time_limit_s > 0 && !killed) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      wait_ms = static_cast<int>(std::max<long long>(left.count(), 0));
    }
    const int ready = poll(fds, static_cast<nfds_t>(count), wait_ms);
    if (ready < 0) break;
    if (ready == 0) {  // past the time limit: the child is stuck
      kill(pid, SIGKILL);
      killed = true;
      result.timed_out = true;
      continue;
    }
    for (int k = 0; k < count; ++k) {
      if (fds[k].revents == 0) continue;
      if (fds[k].fd == in_pipe[1]) {
        const ssize_t n = write(in_pipe[1], input.data() + written, input.size() - written);
        if (n > 0) written += static_cast<size_t>(n);
        if (n <= 0 || written == input.size()) {
          close(in_pipe[1]);
          input_open = false;
        }
        continue;
      }
      char buffer[4096];
      const ssize_t n = read(fds[k].fd, buffer, sizeof buffer);
      std::string& target = fds[k].fd == out_pipe[0] ? result.out : result.err;
      if (n > 0) {
        target.append(buffer, static_cast<size_t>(n));
      } else {
        close(fds[k].fd);
        (fds[k].fd == out_pipe[0] ? out_open : err_open) = false;
      }
    }
  }
  if (input_open) close(in_pipe[1]);
  result.status = WaitFor(pid);
  return result;
}

}  // namespace

ProcessResult RunTenu(const std::vector<std::string>& args, const std::string& input,
                      const std::string& settings_file) {
  return Run(args, input, settings_file, nullptr);
}

ProcessResult RunTenuWithin(int seconds, const std::vector<std::string>& args, const std::string& input) {
  return Run(args, input, "/nonexistent/tenu-test.reg", nullptr, seconds);
}

ProcessResult RunTenuWithBrokenOutput(const std::vector<std::string>& args, const std::string& input,
                                      BrokenOutput output) {
  return Run(args, input, "/nonexistent/tenu-test.reg", &output);
}

TenuSession::TenuSession(const std::vector<std::string>& args, const std::string& settings_file,
                         ErrorStream errors) {
  int in_pipe[2], out_pipe[2];
  if (pipe(in_pipe) != 0 || pipe(out_pipe) != 0) return;
  const int null_err = open("/dev/null", O_WRONLY);
  pid_ = fork();
  if (pid_ == 0) {
    close(in_pipe[1]);
    close(out_pipe[0]);
    StartChild(args, settings_file, in_pipe[0], out_pipe[1], errors == MergeErrors ? out_pipe[1] : null_err);
  }
  close(null_err);
  close(in_pipe[0]);
  close(out_pipe[1]);
  to_child_ = in_pipe[1];
  from_child_ = out_pipe[0];
  signal(SIGPIPE, SIG_IGN);
}

TenuSession::~TenuSession() {
  CloseInput();
  if (from_child_ >= 0) close(from_child_);
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    WaitFor(pid_);
  }
}

std::string TenuSession::ReadUntil(const std::string& text) {
  for (;;) {
    const size_t at = pending_.find(text);
    if (at != std::string::npos) {
      const std::string out = pending_.substr(0, at + text.size());
      pending_.erase(0, at + text.size());
      return out;
    }
    // A child that stays silent this long is stuck: give up rather than hang
    // the suite, and let the caller's expectations fail.
    pollfd ready = {from_child_, POLLIN, 0};
    char buffer[4096];
    const ssize_t n = poll(&ready, 1, kSilenceLimitMs) > 0 ? read(from_child_, buffer, sizeof buffer) : -1;
    if (n <= 0) {
      closed_ = true;
      std::string out;
      out.swap(pending_);
      return out;
    }
    pending_.append(buffer, static_cast<size_t>(n));
    transcript_.append(buffer, static_cast<size_t>(n));
  }
}

void TenuSession::Send(const std::string& line) {
  const std::string text = line + "\n";
  if (to_child_ >= 0) (void)!write(to_child_, text.data(), text.size());
}

void TenuSession::CloseInput() {
  if (to_child_ >= 0) close(to_child_);
  to_child_ = -1;
}

void TenuSession::Interrupt() {
  if (pid_ > 0) kill(pid_, SIGINT);
}

int TenuSession::Wait() {
  CloseInput();
  const int status = WaitFor(pid_);
  pid_ = -1;
  return status;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}
