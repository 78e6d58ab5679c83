// Reads the reference tables in tests/data: tab-separated, one header row.
#pragma once

#include <map>
#include <string>
#include <vector>

using FixtureRow = std::map<std::string, std::string>;

std::vector<FixtureRow> ReadFixture(const std::string& name);
