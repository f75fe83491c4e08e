#include "transfer/rescue/image_identity.h"

#include "fs/layout.h"
#include "fs/name_text.h"
#include "ports/text_format.h"

namespace orv {

std::optional<DisketteIdentity> ImageIdentity(const std::uint8_t* image,
                                              const SectorSet& readable) {
    std::optional<DisketteIdentity> newest;
    for (int s = kSystemAreaFirst; s <= kSystemAreaLast; ++s) {
        IdRecord record;
        if (!readable.test(std::size_t(s)) ||
            !ParseIdRecordBytes(image + std::size_t(s) * kSectorSize, record))
            continue;
        // An ID sector that refused its last rewrite holds an older record: the newest counts.
        if (!newest || record.stampTime > newest->stamp)
            newest = DisketteIdentity{record.label, record.stampTime};
    }
    return newest;
}

std::string IdentityText(const DisketteIdentity& identity) {
    return "label \"" + DisplayText(identity.label) + "\", formatted " +
           DateTimeText(identity.stamp);
}

}  // namespace orv
