// Writes the benchmark corpora as files into the folder given, so that the reference tools
// (gzip, lz4) run on exactly the bytes the engines are measured on.
#include "compress_corpus.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_compress_corpus FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    std::filesystem::create_directories(folder);
    for (const auto& corpus : bv3::bench::corpora) {
        const auto bytes = corpus.make(corpus.size);
        std::ofstream out(folder / corpus.name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "bench_compress_corpus: cannot write %s\n", (folder / corpus.name).c_str());
            return 1;
        }
    }
    return 0;
}
