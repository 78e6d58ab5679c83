// Standard output of the tenu program: its write errors are caught, so that
// a full disk or a closed pipe (with SIGPIPE ignored) ends a command with a
// message and a failure status instead of a silent success.
#pragma once

#include <string>

// The exit status of a command that could not write what it had to: its
// output, or (tenu setup) the settings file.
constexpr int kWriteFailedStatus = 3;

// Flushes standard output; false once any write to it has failed (the first
// failure's reason is kept for the message).
bool FlushOutput();

// After a command: when its output could not be written, says so on standard
// error and answers kWriteFailedStatus; otherwise answers status.
int FinishOutput(const char* command, int status);

// "1 move", "2 moves": a count with its noun, singular for one.
std::string Counted(long long count, const char* one, const char* many);
