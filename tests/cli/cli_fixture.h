// Runs orvalis-cli as a user would, on real image files in a private folder.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "disk/drive.h"
#include "fs/layout.h"
#include "fs/volume.h"
#include "support/memory_disk.h"
#include "support/temp_dir.h"

namespace orv::tests {

struct CliRun {
    int status = -1;
    std::string out, err;
};

class Cli : public ::testing::Test {
protected:
    // A question that loops for ever ends the run with status 124 instead of hanging the test.
    CliRun Cmd(const std::string& args, const std::string& input = "/dev/null") {
        const std::string out = dir.File("stdout"), err = dir.File("stderr");
        const std::string line = "timeout 120 " + std::string(ORVALIS_CLI) + " " + args + " >" +
                                 out + " 2>" + err + " <" + input;
        const int rc = std::system(line.c_str());
        CliRun run;
        run.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
        run.out = Slurp(out);
        run.err = Slurp(err);
        return run;
    }
    static std::string Slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // A formatted image (formatting through the core).
    std::string Formatted(const std::string& name, const std::string& label) {
        const std::string path = dir.File(name);
        EXPECT_EQ(Cmd("mkimage " + path).status, 0);
        CDrive drive;
        std::string error;
        EXPECT_TRUE(drive.Insert(path, error)) << error;
        CVolume volume(&drive);
        EXPECT_TRUE(QuickFormat(volume, label));
        return path;
    }
    std::string Host(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string path = dir.File(name);
        WriteBytes(path, bytes);
        return path;
    }
    // Runs a script as a batch read from standard input.
    CliRun Batch(const std::string& options, const std::string& script,
                 const std::string& batchOptions = "") {
        const std::string path = dir.File("script");
        WriteText(path, script);
        return Cmd(options + " batch " + batchOptions + " -", path);
    }
    nlohmann::json ListJson(const std::string& image) {
        const CliRun run = Cmd("--drive " + image + " list --json");
        EXPECT_EQ(run.status, 0) << run.err;
        return nlohmann::json::parse(run.out);
    }

    TempDir dir;
};

}  // namespace orv::tests
