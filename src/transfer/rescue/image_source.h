// An image file (or a block device) opened only for reading, in a drive of its own, and held for
// this program while the object lives, so that no other program writes on it meanwhile.
#pragma once

#include <string>

#include "disk/drive.h"

namespace orv {

// Whether path names the image (or device) in drive: a rescue that read it as a source while
// a diskette is open from it would read what the document may be writing.
bool IsDriveImage(const std::string& path, const CDrive& drive);

class ImageSource {
public:
    enum class Problem { None, Unusable, InUse };

    // False with the reason when the path is no image (missing, another size, a malformed
    // sidecar) or another program holds it.
    bool Open(const std::string& path, std::string& error);
    Problem LastProblem() const { return m_problem; }
    CDrive& Drive() { return m_drive; }
    // Lets go of the image before the object ends.
    void Release() { m_lock.Release(); }

private:
    CDrive m_drive;
    DriveLock m_lock;
    Problem m_problem = Problem::None;
};

}  // namespace orv
