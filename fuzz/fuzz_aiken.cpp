// The input is a question file in the Aiken format, in any character set.
#include "QuestionFormatFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzformat::Check(bank::Format::Aiken, data, size);
    return 0;
}
