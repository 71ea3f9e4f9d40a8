#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Runs a fuzz target's entry point once on every file it is given (folders
// are read file by file), so the ordinary build replays the seeds and the kept
// crash inputs of each target: a fault a fuzzer once found fails ctest too.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {
std::vector<std::filesystem::path> InputsOf(const std::filesystem::path& path) {
    std::vector<std::filesystem::path> inputs;
    if (std::filesystem::is_directory(path)) {
        for (const auto& entry : std::filesystem::directory_iterator(path))
            if (entry.is_regular_file()) inputs.push_back(entry.path());
    } else {
        inputs.push_back(path);
    }
    return inputs;
}
}  // namespace

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
    std::size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const std::filesystem::path& input : InputsOf(argv[i])) {
            std::ifstream file(input, std::ios::binary);
            const std::string data{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
            if (!file.good() && !file.eof()) {
                std::fprintf(stderr, "cannot read %s\n", input.c_str());
                return 1;
            }
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
            ++replayed;
        }
    }
    std::printf("replayed %zu inputs\n", replayed);
    return replayed == 0 ? 1 : 0;
}
