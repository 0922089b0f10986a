// Writes the manual page kelvane(1) to the file named by its argument. Run
// at build time.
#include <fstream>
#include <iostream>

#include "man/tool_man_page.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " <output file>\n";
        return 2;
    }
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file << kelvane::tool::ToolManPage();
    file.close();
    if (!file) {
        std::cerr << argv[1] << ": cannot be written\n";
        return 1;
    }
    return 0;
}
