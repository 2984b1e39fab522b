#include <iostream>

#include "qfobjimp/cli.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    return qf::runCli(argc, argv, std::cout, std::cerr);
}
