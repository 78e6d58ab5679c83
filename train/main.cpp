// tenu_train generate|fit|compare: see train.h and README "The ordering evaluation".
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "train/train.h"

namespace {

int Usage() {
  std::fputs(
      "usage: tenu_train generate --out DIR [--games N] [--seed S] [--exact E] [--held-out-children E]\n"
      "       tenu_train fit --data DIR --weights FILE [--sample FILE] [--sample-count N] [--seed S]\n"
      "       tenu_train compare --positions FILE [--count N] [--mix M]\n",
      stderr);
  return 2;
}

bool ReadNumber(const char* text, long long least, long long& value) {
  char* end = nullptr;
  value = std::strtoll(text, &end, 10);
  return end != text && *end == '\0' && value >= least;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  train::GenerateOptions generate;
  train::FitOptions fit;
  std::string positions;
  int count = 50;
  int mix = 32;
  for (int k = 2; k < argc; k += 2) {
    if (k + 1 >= argc) return Usage();
    const std::string option = argv[k];
    const char* value = argv[k + 1];
    long long number = 0;
    if (option == "--out") {
      generate.out = value;
    } else if (option == "--data") {
      fit.data = value;
    } else if (option == "--weights") {
      fit.weights = value;
    } else if (option == "--positions") {
      positions = value;
    } else if (option == "--mix" && ReadNumber(value, 0, number)) {
      mix = static_cast<int>(number);
    } else if (option == "--count" && ReadNumber(value, 1, number)) {
      count = static_cast<int>(number);
    } else if (option == "--sample") {
      fit.sample = value;
    } else if (option == "--games" && ReadNumber(value, 1, number)) {
      generate.games = static_cast<int>(number);
    } else if (option == "--seed" && ReadNumber(value, 0, number)) {
      generate.seed = static_cast<uint64_t>(number);
      fit.seed = static_cast<uint64_t>(number);
    } else if (option == "--exact" && ReadNumber(value, 0, number) && number <= 20) {
      generate.exact_empties = static_cast<int>(number);
    } else if (option == "--held-out-children" && ReadNumber(value, 0, number) && number <= 24) {
      generate.heldout_children_max = static_cast<int>(number);
    } else if (option == "--sample-count" && ReadNumber(value, 1, number)) {
      fit.sample_count = static_cast<int>(number);
    } else {
      std::fprintf(stderr, "tenu_train: bad option %s %s\n", option.c_str(), value);
      return Usage();
    }
  }
  if (command == "generate" && !generate.out.empty()) return train::Generate(generate);
  if (command == "fit" && !fit.data.empty() && !fit.weights.empty()) return train::Fit(fit);
  if (command == "compare" && !positions.empty()) return train::CompareOrderings(positions, count, mix);
  return Usage();
}
