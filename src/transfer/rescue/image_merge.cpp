#include "transfer/rescue/image_merge.h"

#include <cstring>
#include <optional>

#include "host/host_file.h"
#include "transfer/rescue/image_identity.h"
#include "transfer/rescue/image_source.h"
#include "transfer/rescue/output_image.h"
#include "transfer/rescue/step_sink.h"

namespace orv {

namespace {

struct Input {
    std::string path;
    std::vector<std::uint8_t> data;
    SectorSet readable;
};

bool SameBytes(const std::uint8_t* a, const std::uint8_t* b) {
    return std::memcmp(a, b, kSectorSize) == 0;
}

// Reads every input, one at a time; an empty result with error set when one cannot be read.
std::vector<Input> ReadInputs(const std::vector<std::string>& paths, IProgressRunner& runner,
                              MergeOutcome& out) {
    std::vector<Input> inputs;
    runner.RunProgress(
        RescueProgress("Reading the diskette images, please wait...", paths.front(),
                       "%ld of %ld images read."),
        [&](IProgressSink& sink) {
            for (std::size_t i = 0; i < paths.size(); ++i) {
                sink.ShowCounts(long(i), long(paths.size()));
                ImageSource source;
                std::string error;
                if (!source.Open(paths[i], error)) {
                    out.Set(RescueStatus::Refused, error);
                    return;
                }
                Input input{paths[i], std::vector<std::uint8_t>(std::size_t(kImageSize), 0), {}};
                StepSink step(sink, long(i), long(paths.size()));
                DriveReadOutcome read;
                ReadInDriveOrder(source.Drive(), SectorSet().set(), 0, input.data.data(),
                                 input.readable, &step, read);
                if (read.cancelled) {
                    out.Set(RescueStatus::Interrupted, "Merging interrupted by user.");
                    return;
                }
                if (read.driveFailure != IoError::None) {
                    out.Set(RescueStatus::Failed, paths[i] + ": " + IoErrorText(read.driveFailure));
                    return;
                }
                inputs.push_back(std::move(input));
            }
            sink.ShowCounts(long(paths.size()), long(paths.size()));
        });
    if (!out.Ok()) inputs.clear();
    return inputs;
}

// Empty when the inputs whose ID records read all name one diskette; else what the user is told.
std::string DifferentDiskettes(const std::vector<Input>& inputs) {
    std::optional<DisketteIdentity> first;
    std::string firstPath;
    for (const Input& input : inputs) {
        const auto identity = ImageIdentity(input.data.data(), input.readable);
        if (!identity) continue;
        if (!first) {
            first = identity;
            firstPath = input.path;
        } else if (!(*identity == *first)) {
            return firstPath + " (" + IdentityText(*first) + ") and " + input.path + " (" +
                   IdentityText(*identity) +
                   ") are not reads of one diskette; nothing was written.";
        }
    }
    return {};
}

}  // namespace

int ChooseCopy(const std::vector<const std::uint8_t*>& copies, bool& differ) {
    differ = false;
    int first = -1;
    for (std::size_t i = 0; i < copies.size(); ++i) {
        if (!copies[i]) continue;
        if (first < 0)
            first = int(i);
        else if (!SameBytes(copies[i], copies[std::size_t(first)]))
            differ = true;
    }
    if (!differ) return first;
    int best = -1, bestVotes = 0;
    for (std::size_t i = 0; i < copies.size(); ++i) {
        if (!copies[i]) continue;
        int votes = 0;
        for (const std::uint8_t* other : copies) votes += other && SameBytes(copies[i], other);
        if (votes > bestVotes) {  // strictly more: the earliest input keeps a tie
            best = int(i);
            bestVotes = votes;
        }
    }
    return best;
}

MergeOutcome MergeImages(const std::string& outPath, const std::vector<std::string>& inputs,
                         bool force, IProgressRunner& runner) {
    MergeOutcome out;
    if (inputs.empty()) {
        out.Set(RescueStatus::Refused, "No image to merge.");
        return out;
    }
    // The same read twice would win every vote it takes part in.
    for (std::size_t i = 0; i < inputs.size(); ++i)
        for (std::size_t j = i + 1; j < inputs.size(); ++j)
            if (SameHostFile(inputs[i], inputs[j])) {
                out.Set(RescueStatus::Refused,
                        inputs[i] + " and " + inputs[j] + " are the same file.");
                return out;
            }
    OutputImage image;
    std::string error;
    // Checked before the inputs are read, so that a name already taken costs no reading.
    if (!image.Create(outPath, error)) {
        out.Set(RescueStatus::Refused, error);
        return out;
    }
    const std::vector<Input> read = ReadInputs(inputs, runner, out);
    if (!out.Ok()) {
        image.Discard();
        return out;
    }
    if (const std::string why = DifferentDiskettes(read); !why.empty() && !force) {
        image.Discard();
        out.Set(RescueStatus::Refused, why);
        out.otherDiskettes = true;
        return out;
    }

    std::vector<std::uint8_t> merged(std::size_t(kImageSize), 0);
    out.takenFrom.assign(read.size(), 0);
    FaultMap faults;
    std::vector<const std::uint8_t*> copies(read.size());
    for (int s = 0; s < kSectorCount; ++s) {
        const std::size_t at = std::size_t(s) * kSectorSize;
        for (std::size_t i = 0; i < read.size(); ++i)
            copies[i] = read[i].readable.test(std::size_t(s)) ? read[i].data.data() + at : nullptr;
        bool differ = false;
        const int chosen = ChooseCopy(copies, differ);
        if (differ) out.differing.set(std::size_t(s));
        if (chosen < 0) {
            out.unreadable.set(std::size_t(s));
            faults.Set(s, Fault::Unreadable);
            continue;
        }
        std::memcpy(merged.data() + at, copies[std::size_t(chosen)], kSectorSize);
        ++out.takenFrom[std::size_t(chosen)];
    }
    std::string names;
    for (const std::string& path : inputs) names += "\n  " + path;
    if (!image.WriteSectors(merged.data(), SectorSet().set(), error) ||
        !image.WriteRecord(faults, "Sectors that none of these images read:" + names, error)) {
        image.Discard();
        out.Set(RescueStatus::Failed, error);
    }
    return out;
}

}  // namespace orv
