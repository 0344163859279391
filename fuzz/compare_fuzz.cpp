// The compare on any two texts (the input cut at its first 0xFF byte, the options from its
// length): the blocks cover both sides in order, equal blocks pair lines whose keys are equal,
// and a text compared with itself is the same.
#include "fuzz_check.h"
#include "compare/logic/program_compare.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace zorvan::compare;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = std::min(input.find('\xFF'), input.size());
    const std::string_view a = input.substr(0, cut), b = input.substr(std::min(cut + 1, input.size()));
    const CompareOptions options{.ignoreSequenceNumbers = (size & 1) != 0, .ignoreBlanks = (size & 2) != 0,
                                 .numbersByValue = (size & 4) != 0, .ignoreComments = (size & 8) != 0,
                                 .ignoreCase = (size & 16) != 0};
    const Comparison comparison = compareLines(a, b, options);
    const LineKeys left = lineKeys(a, options), right = lineKeys(b, options);
    std::size_t nextA = 0, nextB = 0;
    for (const Block& block : comparison.alignment.blocks) {
        FUZZ_CHECK(block.a == nextA && block.b == nextB);
        if (!block.changed) {
            FUZZ_CHECK(block.aCount == block.bCount);
            for (std::size_t i = 0; i < block.aCount; ++i)
                FUZZ_CHECK(left.keys[block.a + i] == right.keys[block.b + i]);
        }
        nextA += block.aCount;
        nextB += block.bCount;
    }
    FUZZ_CHECK(nextA == left.keys.size() && nextB == right.keys.size());
    FUZZ_CHECK(compareLines(a, a, options).alignment.same());
    return 0;
}
