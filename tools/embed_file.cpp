// Usage: korv_embed_file INPUT OUTPUT.cpp NAMESPACE
// Writes OUTPUT.cpp defining NAMESPACE::kBytes and NAMESPACE::kSize with the bytes of INPUT.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s INPUT OUTPUT.cpp NAMESPACE\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), {});
    std::string out;
    out.reserve(bytes.size() * 5 + 256);
    out += "#include <cstddef>\n#include <cstdint>\nnamespace " + std::string(argv[3]) + " {\n";
    out += "extern const std::uint8_t kBytes[];\nextern const std::size_t kSize;\n";
    out += "alignas(16) const std::uint8_t kBytes[] = {\n";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out += std::to_string(bytes[i]);
        out += (i % 32 == 31) ? ",\n" : ",";
    }
    if (bytes.empty()) out += "0";
    out += "};\nconst std::size_t kSize = " + std::to_string(bytes.size()) + ";\n}\n";
    std::ofstream file(argv[2], std::ios::binary | std::ios::trunc);
    file << out;
    return file ? 0 : 1;
}
