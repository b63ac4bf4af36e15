// Runs a fuzz target without libFuzzer: every file named (or found in a named folder), then a
// fixed number of deterministic mutations of them. Used as a test where the compiler has no
// libFuzzer, and to replay a crash: replay_target FILE.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void Feed(const std::string& bytes) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> corpus;
    int mutations = 20000;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--mutations=", 0) == 0) {
            mutations = std::atoi(arg.c_str() + 12);
            continue;
        }
        const std::filesystem::path path(arg);
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(path)) {
                if (entry.is_regular_file()) {
                    corpus.push_back(ReadFile(entry.path()));
                }
            }
        } else {
            corpus.push_back(ReadFile(path));
        }
    }
    corpus.emplace_back();
    for (const std::string& input : corpus) {
        Feed(input);
    }
    std::mt19937 random(12345);
    // Bytes that mean something to one of the readers; NUL separates the fields of some targets.
    const std::string alphabet =
        std::string("<>@ADE\r\n:Pic:G01COL 0123456789LEDFONTModal58204{}\\'uACKN[]=;-") + '\0';
    for (int m = 0; m < mutations; ++m) {
        std::string input = corpus[random() % corpus.size()];
        const int edits = 1 + static_cast<int>(random() % 8);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = input.empty() ? 0 : random() % (input.size() + 1);
            switch (random() % 4) {
            case 0:
                input.insert(at, 1, static_cast<char>(random() % 256));
                break;
            case 1:
                input.insert(at, 1, alphabet[random() % alphabet.size()]);
                break;
            case 2:
                if (!input.empty()) {
                    input.erase(at % input.size(), 1 + random() % 16);
                }
                break;
            default:
                if (!input.empty()) {
                    input[at % input.size()] = static_cast<char>(random() % 256);
                }
                break;
            }
        }
        Feed(input);
    }
    std::printf("%zu corpus inputs and %d mutations ran\n", corpus.size(), mutations);
    return 0;
}
