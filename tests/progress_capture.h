// Collects the progress texts of a think, converted to UTF-8.
#pragma once

#include <string>
#include <vector>

class ProgressCapture {
 public:
  // Opens a (hidden) strip so that texts arrive, and listens to it.
  ProgressCapture();
  ~ProgressCapture();
  ProgressCapture(const ProgressCapture&) = delete;
  ProgressCapture& operator=(const ProgressCapture&) = delete;

  const std::vector<std::string>& lines() const;
  // Lines that contain the text.
  int Count(const std::string& text) const;
  void Clear();
};
