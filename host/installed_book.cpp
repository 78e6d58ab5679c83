#include "host/installed_book.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>

namespace {

std::string RealPath(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) != nullptr ? resolved : "";
}

}  // namespace

std::string InstalledBookPath() {
  char program[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
  if (length > 0) {
    const std::string self(program, static_cast<size_t>(length));
    const std::string beside = RealPath(self.substr(0, self.rfind('/') + 1) + TENU_BOOK_FROM_PROGRAM);
    if (!beside.empty()) return beside;
  }
  return RealPath(TENU_BOOK_INSTALL_PATH);
}
