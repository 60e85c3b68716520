// tolvan-asm: assembles a source into a binary image of the emulated address space.
#include <csignal>
#include <iostream>

#include "tools/tolvan_asm_cli.h"

int main(int argc, char* argv[]) {
    // Past the file size limit a write must fail with its reason, which the program reports,
    // instead of ending the program before it can say which file or remove its temporary file.
    std::signal(SIGXFSZ, SIG_IGN);
    return tolvan::run_tolvan_asm(argc, argv, std::cout, std::cerr);
}
