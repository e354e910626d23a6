#include <iostream>

#include "plorimet/cli.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return plorimet::RunCli(args, std::cout, std::cerr);
}
