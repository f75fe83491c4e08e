// Everything the program does with a diskette it is handed, run on an image made from
// arbitrary bytes: open and list it, copy every file, the system parts test, the full test,
// and afterwards open, add and delete once more. Shared by the fuzzer and the replay of the
// inputs it found. An input that begins with "IMD " is an ImageDisk file instead, put into the
// drive as the program puts one there, and the same is run on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orv::fuzz {

// How input bytes become an image:
// - 1 474 560 bytes or more: the image itself (cut to size).
// - anything shorter: byte 0 chooses the base (bit 0 set: a formatted diskette holding a few
//   files; clear: all zero bytes), and the following bytes overwrite the base from sector 0
//   on, so that the first 32 KiB reach the boot sector, the ID sectors and both table copies,
//   and longer inputs the header units of the files.
std::vector<std::uint8_t> ImageFromInput(const std::uint8_t* data, std::size_t size);
// The same, written into `image` (kImageSize bytes).
void FillImageFromInput(const std::uint8_t* data, std::size_t size, std::uint8_t* image);

// The compact input that reproduces an image made on the formatted base: byte 0 = 1 and the
// first `sectors` sectors of the image.
std::vector<std::uint8_t> CompactInput(const std::vector<std::uint8_t>& image, int sectors);

// The formatted base diskette with its files (built once).
const std::vector<std::uint8_t>& FormattedBase();

// Runs everything on the image. Returns normally unless an invariant breaks, in which case it
// aborts: a full test that reports success must leave a diskette that opens.
void ExerciseImage(std::vector<std::uint8_t> image);

// ExerciseImage on the image made from the input, in one medium kept for every call: the
// fuzzer's entry, spared a fresh 1.44 MB image (and its page faults) per input. An ImageDisk
// input goes through the file's reader instead (one that it refuses ends there).
void ExerciseInput(const std::uint8_t* data, std::size_t size);

}  // namespace orv::fuzz
