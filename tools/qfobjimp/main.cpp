#include <iostream>

#include "qfobjimp/cli.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    int result = qf::runCli(argc, argv, std::cout, std::cerr);
    // Results that never reached their reader (a full disk, a closed pipe) are no success.
    if (!std::cout.flush() && result == 0) {
        std::cerr << "qfobjimp: cannot write to standard output\n";
        result = 1;
    }
    return result;
}
