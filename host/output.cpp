#include "host/output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {
int FirstError = 0;
}  // namespace

bool FlushOutput() {
  // A write that failed inside an earlier printf or fflush left its reason
  // in errno, unless a later call changed it.
  const int earlier = errno;
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0;
  const int now = errno;
  if (flushed && std::ferror(stdout) == 0) {
    errno = earlier;
    return true;
  }
  if (FirstError == 0) FirstError = !flushed && now != 0 ? now : earlier != 0 ? earlier : EIO;
  return false;
}

int FinishOutput(const char* command, int status) {
  if (FlushOutput()) return status;
  std::fprintf(stderr, "tenu %s: cannot write the output: %s\n", command, std::strerror(FirstError));
  return kWriteFailedStatus;
}

std::string Counted(long long count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}
