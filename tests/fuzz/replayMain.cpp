// Stands in for libFuzzer's main in builds without it: runs the fuzz target
// once on every input named on the command line (a file, or every file of a
// directory). libFuzzer's own options (starting with '-') are accepted and
// ignored, so both builds take the same command line.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool runFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.string().c_str());
    return false;
  }
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                   std::istreambuf_iterator<char>()};
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  size_t ran = 0;
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] == '-') continue;
    std::vector<fs::path> inputs;
    std::error_code error;
    if (fs::is_directory(argv[i], error)) {
      for (const auto& entry : fs::directory_iterator(argv[i], error))
        if (entry.is_regular_file()) inputs.push_back(entry.path());
      std::sort(inputs.begin(), inputs.end());
    } else {
      inputs.push_back(argv[i]);
    }
    for (const fs::path& input : inputs) {
      if (!runFile(input)) return 1;
      ++ran;
    }
  }
  std::printf("replayed %zu inputs\n", ran);
  // A seed directory that came out empty is a broken test, not a pass.
  return ran ? 0 : 1;
}
