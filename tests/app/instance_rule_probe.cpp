// A stand-in for a newly started copy of the program: once told "go" on its
// input it applies the instance rule for the name given as its argument,
// prints how many copies it ended, and stays alive until its input closes, so
// a test can see that applying the rule did not end the probe itself.

#include "app/instance_rule.h"

#include <iostream>
#include <string>

int main(int argc, char *argv[])
{
    if (argc < 2)
        return 2;
    std::string line;
    std::getline(std::cin, line);
    std::cout << "ended=" << ApplyInstanceRule(argv[1]) << std::endl;
    while (std::getline(std::cin, line)) {
    }
    return 0;
}
