// libFuzzer entry: arbitrary bytes become a diskette image or an ImageDisk file (see
// exercise_image.h) that is opened, listed, copied, tested and repaired.
#include <cstddef>
#include <cstdint>

#include "fuzz/exercise_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orv::fuzz::ExerciseInput(data, size);
    return 0;
}
