// Which diskette an image was read from, as far as its sectors tell: the label and stamp of its
// ID record, which tell one diskette from another.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "fs/id_sectors.h"
#include "transfer/rescue/sector_reader.h"

namespace orv {

// The newest ID record among the readable sectors of the system area (1..63) of an image in
// memory (kImageSize bytes); none when no ID record was read.
std::optional<DisketteIdentity> ImageIdentity(const std::uint8_t* image, const SectorSet& readable);

// "label HOLIDAYS, formatted 7.12.2026" for the user.
std::string IdentityText(const DisketteIdentity& identity);

}  // namespace orv
