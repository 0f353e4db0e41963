// Runs a fuzz target without libFuzzer: every file named on the command line, then a fixed
// number of deterministic mutations of each (byte flips, cuts, insertions), so the suite and
// the sanitizer build exercise each parser on more than its seeds.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

std::vector<std::uint8_t> readFile(const char *path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void run(const std::vector<std::uint8_t> &input)
{
    LLVMFuzzerTestOneInput(input.data(), input.size());
}

std::vector<std::uint8_t> mutate(std::vector<std::uint8_t> input, std::mt19937 &random)
{
    const int edits = 1 + int(random() % 4);
    for (int i = 0; i < edits; ++i) {
        const std::size_t at = input.empty() ? 0 : random() % input.size();
        switch (random() % 4) {
        case 0:
            if (!input.empty())
                input[at] = std::uint8_t(random());
            break;
        case 1:
            input.resize(at);
            break;
        case 2:
            input.insert(input.begin() + std::ptrdiff_t(at), std::uint8_t(random()));
            break;
        default:
            if (!input.empty())
                input[at] = std::uint8_t("0123456789,\"\r\n -"[random() % 16]);
            break;
        }
    }
    return input;
}

} // namespace

int main(int argc, char **argv)
{
    // "--mutations=N" first sets how many mutations of each seed run (2000 by default).
    int MutationsPerSeed = 2000;
    int first = 1;
    if (argc > 1 && std::strncmp(argv[1], "--mutations=", 12) == 0) {
        MutationsPerSeed = std::atoi(argv[1] + 12);
        first = 2;
    }
    std::mt19937 random(20261206);
    run({});
    for (int i = first; i < argc; ++i) {
        const std::vector<std::uint8_t> seed = readFile(argv[i]);
        run(seed);
        for (int m = 0; m < MutationsPerSeed; ++m)
            run(mutate(seed, random));
    }
    std::printf("%d seeds, %d inputs each: no fault\n", argc - first, MutationsPerSeed + 1);
    return 0;
}
