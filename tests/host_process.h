// Runs the tenu program as a child process for the command-line tests.
#pragma once

#include <string>
#include <vector>

struct ProcessResult {
  int status = -1;  // the exit status, or -1 when it did not exit normally
  bool timed_out = false;  // killed at the time limit
  std::string out;
  std::string err;
};

// Runs tenu with the arguments, feeding input on standard input. The stored
// settings are those of settings_file (a file that need not exist).
ProcessResult RunTenu(const std::vector<std::string>& args, const std::string& input = "",
                      const std::string& settings_file = "/nonexistent/tenu-test.reg");

// The same, for a run that might hang (a program that reads input it should
// refuse): the child is killed after that many seconds.
ProcessResult RunTenuWithin(int seconds, const std::vector<std::string>& args, const std::string& input = "");

// Where the child's standard output goes when it is not read by the test:
// the full device, or a pipe whose reading end is closed before the child
// writes (with SIGPIPE ignored in the child, so its writes fail).
enum class BrokenOutput { FullDevice, ClosedPipe };
ProcessResult RunTenuWithBrokenOutput(const std::vector<std::string>& args, const std::string& input,
                                      BrokenOutput output);

// The lines of a program's output, without their line ends.
std::vector<std::string> Lines(const std::string& text);

// A child tenu that is talked to line by line (a game in the terminal).
// Its standard error is dropped, or read with its output as one stream, as
// a GUI that takes both for protocol lines reads them.
class TenuSession {
 public:
  enum ErrorStream { DropErrors, MergeErrors };
  explicit TenuSession(const std::vector<std::string>& args,
                       const std::string& settings_file = "/nonexistent/tenu-test.reg",
                       ErrorStream errors = DropErrors);
  ~TenuSession();
  TenuSession(const TenuSession&) = delete;
  TenuSession& operator=(const TenuSession&) = delete;

  // Reads output until it contains the text (answers the output read since
  // the last call) or the child closes its output or stays silent for two
  // minutes (answers what came, and sets closed()).
  std::string ReadUntil(const std::string& text);
  void Send(const std::string& line);
  void CloseInput();
  // Sends SIGINT, as Ctrl-C on a terminal does.
  void Interrupt();
  int Wait();
  bool closed() const { return closed_; }
  // Every byte read from the child so far.
  const std::string& transcript() const { return transcript_; }

 private:
  int pid_ = -1;
  int to_child_ = -1;
  int from_child_ = -1;
  bool closed_ = false;
  std::string pending_;
  std::string transcript_;
};
