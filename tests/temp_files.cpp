#include "tests/temp_files.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

TempDir::TempDir() {
  char pattern[] = "/tmp/tenu-test-XXXXXX";
  const char* made = mkdtemp(pattern);
  path_ = made != nullptr ? made : "/tmp";
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Write(const std::string& name, const std::string& contents) const {
  const std::string file = path_ + "/" + name;
  std::filesystem::create_directories(std::filesystem::path(file).parent_path());
  std::ofstream out(file, std::ios::binary);
  out << contents;
  return file;
}

std::string TempDir::Read(const std::string& name) const {
  std::ifstream in(path_ + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
