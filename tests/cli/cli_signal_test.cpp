// A signal that would end orvalis-cli while a command writes the table waits until the write is
// done: the diskette is never left with its two table copies differing.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <utility>

#include "cli/command_runner.h"
#include "cli/console_progress.h"
#include "cli/session.h"
#include "disk/image_medium.h"
#include "fs/volume.h"
#include "support/memory_disk.h"
#include "support/temp_dir.h"

namespace orv::tests {
namespace {

// An image that receives a signal the moment the second write request reaches it: between the
// two copies of the table, which a delete writes one request each.
class SignalOnWrite final : public IMedium {
public:
    SignalOnWrite(std::shared_ptr<IMedium> inner, int signal)
        : m_inner(std::move(inner)), m_signal(signal) {}
    Status Read(int first, int count, std::uint8_t* buffer) override {
        return m_inner->Read(first, count, buffer);
    }
    Status Write(int first, int count, const std::uint8_t* buffer) override {
        if (++m_writes == 2) std::raise(m_signal);
        return m_inner->Write(first, count, buffer);
    }
    std::string Describe() const override { return m_inner->Describe(); }
    bool Lock(std::string& error) override { return m_inner->Lock(error); }
    void Unlock() override { m_inner->Unlock(); }

private:
    std::shared_ptr<IMedium> m_inner;
    int m_signal;
    int m_writes = 0;
};

TEST(CliSignals, ASignalDuringADeleteEndsTheProgramOnlyOnceTheTableIsWritten) {
    // The child is a fork: it works on this test's image, which is checked afterwards.
    GTEST_FLAG_SET(death_test_style, "fast");
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
        TempDir dir;
        const std::string image = dir.File("d.img");
        std::string error;
        ASSERT_TRUE(CreateBlankImage(image, error)) << error;
        {
            CDrive drive;
            ASSERT_TRUE(drive.Insert(image, error)) << error;
            CVolume volume(&drive);
            ASSERT_TRUE(QuickFormat(volume, "SIGNAL"));
        }
        WriteBytes(dir.File("doc.txt"), Pattern(3000, 1));
        std::string add = ORVALIS_CLI;
        add.append(" --drive ").append(image).append(" add ").append(dir.File("doc.txt"));
        ASSERT_EQ(std::system(add.c_str()), 0);
        EXPECT_EXIT(
            {
                cli::InstallInterruptHandler();
                cli::GlobalOptions options;
                options.yes = true;
                cli::Session session(options);
                std::string why;
                auto medium = LoadMedium(image, why);
                session.drive.InsertMedium(std::make_shared<SignalOnWrite>(medium, signal), image);
                session.DriveChosen();
                cli::CommandArgs args;
                args.names = {"doc.txt"};
                cli::RunCommand(session, cli::CommandId::Delete, args);
                std::_Exit(0);  // not reached: the signal ends the program
            },
            ::testing::KilledBySignal(signal), "ended by signal");
        CDrive drive;
        ASSERT_TRUE(drive.Insert(image, error)) << error;
        CVolume volume(&drive);
        ASSERT_TRUE(OpenVolume(volume));
        EXPECT_EQ(volume.DifferingFatSectors(), 0) << "signal " << signal;
        std::vector<FileRecord> files;
        EXPECT_EQ(volume.ListFiles(files).end, ListEnd::NoFile) << "signal " << signal;  // deleted
    }
}

}  // namespace
}  // namespace orv::tests
