// Replays a fuzz target over the files it is given (folders are read whole, in name order), once
// each, so that the seeds and the committed corpus run as a regression test in the normal suite,
// under its sanitizers. A target reports a broken property by aborting; this adds only the name of
// the input being run, so that a failure says which one.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> input;
    for (int i = 1; i < argc; ++i) {
        const fs::path p = argv[i];
        std::error_code ec;
        if (fs::is_directory(p, ec)) {
            std::vector<fs::path> folder;
            for (const auto& e : fs::directory_iterator(p, ec))
                if (e.is_regular_file()) folder.push_back(e.path());
            std::sort(folder.begin(), folder.end());
            input.insert(input.end(), folder.begin(), folder.end());
        } else if (fs::is_regular_file(p, ec)) {
            input.push_back(p);
        } else {
            // A folder that went missing would otherwise make a test that runs nothing.
            std::fprintf(stderr, "replay: %s: no such file or folder\n", argv[i]);
            return 2;
        }
    }
    if (input.empty()) {
        std::fprintf(stderr, "replay: no input to run\n");
        return 2;
    }
    for (const fs::path& p : input) {
        std::ifstream f(p, std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
        if (!f.good() && !f.eof()) {
            std::fprintf(stderr, "replay: %s: cannot be read\n", p.c_str());
            return 2;
        }
        std::fprintf(stderr, "replay: %s\n", p.c_str());
        // A copy of exactly the input's size, as libFuzzer passes it: a read past the end is caught.
        std::vector<std::uint8_t> copia;
        copia.reserve(bytes.size() + 1); // an empty input still comes with a valid pointer
        copia.assign(bytes.begin(), bytes.end());
        LLVMFuzzerTestOneInput(copia.data(), copia.size());
    }
    std::printf("replay: %zu inputs, no failure\n", input.size());
    return 0;
}
