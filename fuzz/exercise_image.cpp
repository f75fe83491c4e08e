#include "fuzz/exercise_image.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "disk/drive.h"
#include "disk/imd_file.h"
#include "disk/memory_medium.h"
#include "maintenance/diskservice/service_workers.h"
#include "maintenance/diskservice/system_parts_test.h"
#include "support/memory_disk.h"
#include "support/recording_worker_dialog.h"
#include "support/scripted_user.h"
#include "transfer/document.h"
#include "transfer/transfer_fakes.h"

namespace orv::fuzz {

namespace {

constexpr int kMaxFilesCopied = 32;

// A private folder for the host side of adds and copies, removed at exit.
class HostFolder {
public:
    HostFolder() {
        const std::string base = ::access("/dev/shm", W_OK) == 0
                                     ? std::string("/dev/shm")
                                     : std::filesystem::temp_directory_path().string();
        std::string pattern = base + "/orvalis-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data())) m_path = pattern;
    }
    ~HostFolder() {
        std::error_code ec;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
    }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

HostFolder& Host() {
    static HostFolder folder;
    return folder;
}

// The file each run adds (written once; nothing changes it).
const std::string& SmallSource() {
    static const std::string path = [] {
        std::string p = Host().File("source.txt");
        std::ofstream(p, std::ios::binary | std::ios::trunc) << std::string(1000, 'q');
        return p;
    }();
    return path;
}

// A document on the drive whose every question takes its default button.
struct Session {
    explicit Session(CDrive& drive) {
        report.user = &user;
        doc = std::make_unique<COrvalisDoc>(drive, DocPorts{&user, &runner, &report});
    }
    tests::ScriptedUserPort user;
    tests::InlineProgressRunner runner;
    tests::RecordingReportPort report;
    std::unique_ptr<COrvalisDoc> doc;
};

void CopyEveryFile(Session& s) {
    const std::vector<FileRecord> files = s.doc->Files();
    int copied = 0;
    for (const FileRecord& r : files) {
        if (++copied > kMaxFilesCopied) break;
        FileRecord key = r;
        s.doc->CopyFromDiskette(key, Host().File("copy.out"), false, -1);
        if (!s.doc->IsOpen()) break;
    }
}

}  // namespace

const std::vector<std::uint8_t>& FormattedBase() {
    static const std::vector<std::uint8_t> base = [] {
        auto medium = std::make_shared<MemoryMedium>();
        CDrive drive;
        drive.InsertMedium(medium);
        {
            CVolume volume(&drive);
            tests::QuickFormat(volume, "FUZZ");
        }
        Session s(drive);
        s.doc->OpenDiskette();
        const std::pair<const char*, std::size_t> files[] = {
            {"alpha.txt", 3000}, {"empty", 0}, {"gamma.bin", 20000}};
        for (const auto& [name, size] : files) {
            const std::string path = Host().File(name);
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            for (std::size_t i = 0; i < size; ++i) out.put(char('a' + i % 23));
            out.close();
            s.doc->AddFile(path, 0);
        }
        return medium->Bytes();
    }();
    return base;
}

void FillImageFromInput(const std::uint8_t* data, std::size_t size, std::uint8_t* image) {
    const std::size_t imageSize = std::size_t(kImageSize);
    if (size >= imageSize) {
        std::copy_n(data, imageSize, image);
        return;
    }
    if (size > 0 && (data[0] & 1))
        std::copy_n(FormattedBase().begin(), imageSize, image);
    else
        std::fill_n(image, imageSize, std::uint8_t{0});
    if (size > 1) std::copy(data + 1, data + size, image);
}

std::vector<std::uint8_t> ImageFromInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> image(static_cast<std::size_t>(kImageSize));
    FillImageFromInput(data, size, image.data());
    return image;
}

std::vector<std::uint8_t> CompactInput(const std::vector<std::uint8_t>& image, int sectors) {
    const std::size_t n = std::size_t(sectors) * kSectorSize;
    std::vector<std::uint8_t> input(1 + n);
    input[0] = 1;
    std::copy_n(image.begin(), n, input.begin() + 1);
    return input;
}

namespace {

void ExerciseMedium(const std::shared_ptr<IMedium>& medium) {
    CDrive drive;
    drive.InsertMedium(medium);
    {
        Session s(drive);
        if (s.doc->OpenDiskette() == 0) CopyEveryFile(s);
    }
    {
        CVolume volume(&drive);
        if (!volume.OpenDevice()) return;
        tests::RecordingWorkerDialog dialog;
        SystemPartsTest(volume, dialog);
    }
    int full = -1;
    {
        tests::ScriptedUser user;
        tests::RecordingWorkerDialog dialog;
        full = FullTestWorker(&drive, dialog, user);
    }
    Session s(drive);
    const int opened = s.doc->OpenDiskette();
    if (full == 0 && opened != 0) {
        std::fprintf(stderr, "the full test succeeded but the diskette does not open (%d)\n",
                     opened);
        std::abort();
    }
    if (opened != 0) return;
    CopyEveryFile(s);
    if (s.doc->AddFile(SmallSource(), 0) == 0) {
        FileRecord key = s.doc->Files().back();
        s.doc->DeleteFromDiskette(key, true, false);
    }
}

// The ImageDisk file goes to the hard disk first: the drive finds it by its content there, as
// it finds a user's.
void ExerciseImdFile(const std::uint8_t* data, std::size_t size) {
    const std::string path = Host().File("input.imd");
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));
    std::string error;
    if (const auto medium = LoadMedium(path, error)) ExerciseMedium(medium);
}

}  // namespace

void ExerciseImage(std::vector<std::uint8_t> image) {
    ExerciseMedium(std::make_shared<MemoryMedium>(std::move(image)));
}

void ExerciseInput(const std::uint8_t* data, std::size_t size) {
    if (HasImdSignature(data, size)) {
        ExerciseImdFile(data, size);
        return;
    }
    static const auto medium = std::make_shared<MemoryMedium>();
    FillImageFromInput(data, size, medium->Bytes().data());
    medium->Restart();
    ExerciseMedium(medium);
}

}  // namespace orv::fuzz
