// tolvan-asm: assembles a source into a binary image of the emulated address space.
#include <iostream>

#include "tools/tolvan_asm_cli.h"

int main(int argc, char* argv[]) {
    return tolvan::run_tolvan_asm(argc, argv, std::cout, std::cerr);
}
