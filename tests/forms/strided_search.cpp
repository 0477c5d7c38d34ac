// Looks for a text in a memory dump the way one would read it back: any six
// of its characters in a row, their bytes next to each other or at any fixed
// distance up to 64 bytes apart. A text of ASCII characters stored as UTF-8
// or UTF-16, in a string or one character to a record, shows that way.
// Usage: strided_search FILE TEXT; exits 1 when found, printing where.

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: strided_search FILE TEXT\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary | std::ios::ate);
    std::vector<char> data(std::max<std::streamoff>(file.tellg(), 0));
    file.seekg(0).read(data.data(), static_cast<std::streamsize>(data.size()));
    const std::string text = argv[2];
    constexpr std::size_t kRun = 6;
    constexpr std::size_t kWidest = 64;
    if (!file || data.empty() || text.size() < kRun) {
        std::fprintf(stderr, "strided_search: nothing to read in %s\n", argv[1]);
        return 2;
    }

    int found = 0;
    for (std::size_t at = 0; at < data.size(); ++at) {
        for (std::size_t from = 0; from + kRun <= text.size(); ++from) {
            if (data[at] != text[from]) {
                continue;
            }
            for (std::size_t stride = 1; stride <= kWidest; ++stride) {
                std::size_t n = 1;
                while (n < kRun && at + n * stride < data.size() &&
                       data[at + n * stride] == text[from + n]) {
                    ++n;
                }
                if (n == kRun) {
                    std::printf("'%s' at byte %zu, %zu bytes apart\n",
                                text.substr(from, kRun).c_str(), at, stride);
                    ++found;
                }
            }
        }
    }
    return found > 0 ? 1 : 0;
}
