#include "transfer/rescue/image_source.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "disk/read_only_medium.h"
#include "host/host_file.h"

namespace orv {

bool IsDriveImage(const std::string& path, const CDrive& drive) {
    return SameHostFile(path, drive.Path());
}

bool ImageSource::Open(const std::string& path, std::string& error) {
    m_problem = Problem::Unusable;
    // A missing image would be an empty drive; here it is a mistake in the command.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    auto medium = LoadMedium(path, error);
    if (!medium) return false;
    m_drive.InsertMedium(std::make_shared<ReadOnlyMedium>(std::move(medium)), path);
    DriveLock lock(m_drive);
    if (!lock.Held()) {
        m_problem = Problem::InUse;
        error = lock.Error();
        return false;
    }
    m_lock = std::move(lock);
    m_problem = Problem::None;
    return true;
}

}  // namespace orv
