// The input is a question file in the CSV format, in any character set.
#include "QuestionFormatFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzformat::Check(bank::Format::Csv, data, size);
    return 0;
}
