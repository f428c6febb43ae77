// Writes chromix(1) from the same help text that chromix --help prints.

#include "cli/command_help.h"

#include <fstream>
#include <iostream>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::cerr << "usage: write_man_page FILE\n";
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary);
    printManPage(out);
    out.close();
    if (!out) {
        std::cerr << "write_man_page: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
