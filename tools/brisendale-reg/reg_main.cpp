#include <iostream>
#include <string>
#include <vector>

#include "tools/brisendale-reg/reg_command.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return brisendale::RunRegCommand(args, std::cin, std::cout, std::cerr);
}
