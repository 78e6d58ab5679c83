// Scratch files for tests, removed when the test ends.
#pragma once

#include <string>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // Writes the bytes to a file in the folder and answers its path.
  std::string Write(const std::string& name, const std::string& contents) const;
  std::string Read(const std::string& name) const;

 private:
  std::string path_;
};
