#include "maintenance/format/files_on_diskette.h"

#include <vector>

#include "fs/volume.h"

namespace orv {

int FilesOnDiskette(CDrive& drive) {
    CVolume volume(&drive);
    if (!volume.OpenDevice() || volume.FindIdSectors() != true || !volume.ReadFat(false)) return -1;
    std::vector<int> numbers;
    return volume.ListFileNumbers(numbers);
}

}  // namespace orv
