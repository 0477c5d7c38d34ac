// Finds any six characters in a row of an ASCII text in a memory dump, their
// bytes next to each other or at any fixed distance up to 64 bytes apart: so
// in UTF-8 or UTF-16, in a string or one character to a record. Usage:
// strided_search FILE TEXT; exits 0 when found, printing where, else 1 (2 when
// there is nothing to read).

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

int main(int argc, char* argv[])
{
    std::ifstream file(argc == 3 ? argv[1] : "", std::ios::binary | std::ios::ate);
    std::string data(std::max<std::streamoff>(file.tellg(), 0), '\0');
    file.seekg(0).read(data.data(), static_cast<std::streamsize>(data.size()));
    const std::string text = argc == 3 ? argv[2] : "";
    if (!file || data.empty() || text.size() < 6) {
        std::fprintf(stderr,
                     "usage: strided_search FILE TEXT, a dump and six characters or more\n");
        return 2;
    }
    int status = 1;
    for (std::size_t at = 0; at < data.size(); ++at) {
        for (std::size_t from = 0; from + 6 <= text.size(); ++from) {
            for (std::size_t stride = 1; stride <= 64 && data[at] == text[from]; ++stride) {
                std::size_t n = 1;
                while (n < 6 && at + n * stride < data.size() &&
                       data[at + n * stride] == text[from + n]) {
                    ++n;
                }
                if (n == 6) {
                    std::printf("'%s' at byte %zu, %zu bytes apart\n", text.substr(from, 6).c_str(),
                                at, stride);
                    status = 0;
                }
            }
        }
    }
    return status;
}
