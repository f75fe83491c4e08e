// What the window tells after a rescue operation: the same facts that orvalis-cli prints, as
// the text of a message box or the summary line of the scan window.
#pragma once

#include <string>
#include <vector>

#include "transfer/rescue/box_scan.h"
#include "transfer/rescue/disk_imaging.h"
#include "transfer/rescue/file_rescue.h"
#include "transfer/rescue/image_merge.h"

namespace orv {

// Sectors read and unreadable, and what this run read of what it set out to read.
std::string ImagingSummary(const ImagingOutcome& outcome, const std::string& image);
// Where the sectors came from, those whose copies differed and those that no image read.
std::string MergeSummary(const MergeOutcome& outcome, const std::string& image,
                         const std::vector<std::string>& inputs);
// The pieces of the file, those that stay unread, and what each image gave.
std::string RescueSummary(const FileRescueOutcome& outcome, const std::string& target);
// The whole box: images and files by health, then a line each for the spread files and for
// what is no image, where there are any.
std::string ScanTotalsText(const ScanOutcome& scan);
// Where everything was copied out, and what could not be.
std::string ExtractionSummary(const ScanOutcome& scan, const std::string& folder);
// "3, 7-9": chain positions as ascending numbers and ranges.
std::string PositionsText(const std::vector<std::uint32_t>& positions);

}  // namespace orv
