// Without a fuzzing engine: runs every file of the folders (or files) named on the command
// line through the entry point once, as a test of the seed corpus and the reproducers.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille);

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> fichiers(const char* argument)
{
    std::vector<fs::path> l;
    if (fs::is_directory(argument)) {
        for (const auto& e : fs::recursive_directory_iterator(argument))
            if (e.is_regular_file())
                l.push_back(e.path());
    } else {
        l.emplace_back(argument);
    }
    std::sort(l.begin(), l.end());
    return l;
}

} // namespace

int main(int argc, char** argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    int rejouees = 0;
    for (int i = 1; i < argc; ++i) {
        const std::vector<fs::path> l = fichiers(argv[i]);
        if (l.empty()) {
            std::fprintf(stderr, "rien à rejouer dans %s\n", argv[i]);
            return 1;
        }
        for (const fs::path& p : l) {
            std::ifstream f(p, std::ios::binary);
            const std::vector<char> octets{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
            if (!f.good() && !f.eof()) {
                std::fprintf(stderr, "illisible : %s\n", p.c_str());
                return 1;
            }
            std::fprintf(stderr, "%s\n", p.c_str());
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(octets.data()), octets.size());
            ++rejouees;
        }
    }
    std::printf("%d entrées rejouées\n", rejouees);
    return 0;
}
