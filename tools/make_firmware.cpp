// Usage: korv_make_firmware OUTPUT
// Writes the stand-in firmware image: 130048 pseudo-random bytes from a fixed seed, so that a
// checksum mistake cannot hide in runs of zeros. The same output every time.
#include <cstdint>
#include <cstdio>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
        return 2;
    }
    std::uint64_t state = 0x4B565254'31383130ULL;  // "KVRT1810"
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    for (int i = 0; i < 130048; ++i) {
        // splitmix64
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        z ^= z >> 31;
        out.put(static_cast<char>(z >> 56));
    }
    return out ? 0 : 1;
}
