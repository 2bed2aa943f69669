// Replays a fuzz target's corpus without libFuzzer: every file of each folder named on the command line goes
// once through LLVMFuzzerTestOneInput. Built by the ordinary toolchains, so the sanitizer builds check each seed.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    size_t ran = 0;
    for (int i = 1; i < argc; ++i) {
        for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
            if (!entry.is_regular_file()) continue;
            std::ifstream file(entry.path(), std::ios::binary);
            const std::vector<uint8_t> input{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
            LLVMFuzzerTestOneInput(input.data(), input.size());
            ++ran;
        }
    }
    std::printf("%zu inputs replayed\n", ran);
    return ran == 0 ? 1 : 0;
}
