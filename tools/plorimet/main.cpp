#include <iostream>

#include "plorimet/cli.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const int code = plorimet::RunCli(args, std::cout, std::cerr);
    // Output that never reached its file (a full disk) is a failure, not a success.
    if (!std::cout.flush()) {
        std::cerr << "plorimet: the output could not be written\n";
        return 1;
    }
    return code;
}
