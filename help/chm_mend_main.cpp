// Run by the build after the help compiler: puts right the two header fields
// it writes wrongly (help/chm_mend.h), so that every reader reads the file whole.
//   mnemora-chm-mend FILE
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "help/chm_mend.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: mnemora-chm-mend FILE\n", stderr);
        return 2;
    }
    std::string bytes;
    {
        std::ifstream in(argv[1], std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (!in.eof() && in.fail()) {
            std::fprintf(stderr, "mnemora-chm-mend: cannot read %s\n", argv[1]);
            return 1;
        }
    }
    const auto mend = mnemora::mendChmHeaders(bytes);
    if (!mend) {
        std::fprintf(stderr,
                     "mnemora-chm-mend: %s is not a help file whose headers can be mended\n",
                     argv[1]);
        return 1;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "mnemora-chm-mend: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
