#include "tools/BankCommand.h"
#include "tools/BankPrint.h"

#include <iostream>

int main(int argc, char** argv)
{
    return bank::RunBankCommand({argv + 1, argv + argc}, std::cout, std::cerr,
                                [&](const std::string& folder, const std::string& pdf, std::ostream& out,
                                    std::ostream& err) { return bank::RunPrintCommand(argc, argv, folder, pdf, out, err); });
}
