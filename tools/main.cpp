#include "tools/ContentCheck.h"

#include <iostream>

int main(int argc, char** argv)
{
    return contentcheck::RunCheckCommand({argv + 1, argv + argc}, std::cout, std::cerr);
}
