#include "tests/fixture_reader.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  std::istringstream in(line);
  while (std::getline(in, field, '\t')) fields.push_back(field);
  return fields;
}

}  // namespace

std::vector<FixtureRow> ReadFixture(const std::string& name) {
  std::ifstream in(std::string(TENU_TEST_DATA) + "/" + name);
  if (!in) throw std::runtime_error("missing test data " + name);
  std::string line;
  std::getline(in, line);
  const std::vector<std::string> header = SplitTabs(line);
  std::vector<FixtureRow> rows;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    const std::vector<std::string> fields = SplitTabs(line);
    FixtureRow row;
    for (size_t k = 0; k < header.size() && k < fields.size(); ++k) row[header[k]] = fields[k];
    rows.push_back(row);
  }
  return rows;
}
