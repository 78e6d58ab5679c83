#include "host/line_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

std::string SizeText(uint64_t bytes) {
  if (bytes >= (uint64_t{1} << 20) && bytes % (uint64_t{1} << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
  if (bytes >= 1024 && bytes % 1024 == 0) return std::to_string(bytes >> 10) + " KiB";
  return std::to_string(bytes) + " bytes";
}

bool OpenInputFile(const std::string& path, const ReadLimits& limits, std::FILE*& file, std::string& error) {
  file = nullptr;
  // Opened without waiting, so that a pipe with no writer cannot hold the
  // open; what was opened is then checked, not what the name pointed to
  // a moment before.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = path + " cannot be read: " + std::strerror(errno);
    return false;
  }
  struct stat info{};
  if (fstat(fd, &info) != 0) {
    error = path + " cannot be read: " + std::strerror(errno);
  } else if (S_ISDIR(info.st_mode)) {
    error = path + " is a folder, not a file";
  } else if (!S_ISREG(info.st_mode)) {
    error = path + " is not a regular file";
  } else if (info.st_size == 0) {
    error = path + " is empty";
  } else if (limits.total != 0 && static_cast<uint64_t>(info.st_size) > limits.total) {
    error = path + " holds " + std::to_string(info.st_size) + " bytes, more than the " + SizeText(limits.total) +
            " " + limits.what + " may have";
  } else {
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    file = fdopen(fd, "rb");
    if (file != nullptr) return true;
    error = path + " cannot be read: " + std::strerror(errno);
  }
  close(fd);
  return false;
}

LineReader::LineReader(std::FILE* file, std::string name, const ReadLimits& limits)
    : file_(file), name_(std::move(name)), limits_(limits) {}

LineReader::Got LineReader::Next(std::string& line) {
  line.clear();
  if (last_ == Got::End || last_ == Got::TooMuch || last_ == Got::Failed) return last_;
  bool any = false;
  for (;;) {
    const int c = getc_unlocked(file_);
    if (c == EOF) {
      if (std::ferror(file_) != 0) {
        error_ = errno != 0 ? errno : EIO;
        return last_ = Got::Failed;
      }
      if (!any) return last_ = Got::End;
      break;
    }
    if (!any) ++line_number_;
    any = true;
    if (limits_.total != 0 && ++total_ > limits_.total) return last_ = Got::TooMuch;
    if (c == '\n') break;
    if (line.size() >= limits_.line) return last_ = Got::TooLong;
    line.push_back(static_cast<char>(c));
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return last_ = Got::Line;
}

bool LineReader::SkipRestOfLine() {
  for (;;) {
    const int c = getc_unlocked(file_);
    if (c == EOF) {
      last_ = std::ferror(file_) != 0 ? Got::Failed : Got::End;
      if (last_ == Got::Failed) error_ = errno != 0 ? errno : EIO;
      return false;
    }
    if (limits_.total != 0 && ++total_ > limits_.total) {
      last_ = Got::TooMuch;
      return false;
    }
    if (c == '\n') {
      last_ = Got::Line;
      return true;
    }
  }
}

std::string LineReader::Problem() const {
  switch (last_) {
    case Got::TooLong:
      return name_ + ": line " + std::to_string(line_number_) + " is longer than the " + SizeText(limits_.line) +
             " a line may have";
    case Got::TooMuch:
      return name_ + ": more than the " + SizeText(limits_.total) + " " + limits_.what + " may have";
    case Got::Failed: return name_ + " cannot be read: " + std::strerror(error_);
    case Got::Line:
    case Got::End: break;
  }
  return "";
}
