#include "maintenance/diskservice/blank_claims.h"

#include <map>

#include "fs/layout.h"

namespace orv {

namespace {

// The k-th further part of a spread file has the extension k (no leading zero).
bool IsFurtherPart(const FileClaim& c) {
    const std::string extension =
        FieldText(c.tag.data() + rec::unit::kExtension, rec::header::kExtensionWidth);
    if (extension.empty() || extension[0] == '0') return false;
    for (char ch : extension)
        if (ch < '0' || ch > '9') return false;
    return true;
}

bool Lacks(const FileClaim& c) {
    return c.Missing() > 0 && !IsFurtherPart(c);
}

std::vector<int> Between(const std::vector<int>& units, int from, int to) {
    std::vector<int> between;
    for (auto it = std::upper_bound(units.begin(), units.end(), from);
         it != units.end() && *it < to; ++it)
        between.push_back(*it);
    return between;
}

}  // namespace

void GiveBlankUnits(const std::vector<int>& blank, std::vector<FileClaim>& claims) {
    std::map<int, int> wanted;  // unit -> files that lack units and could take it
    std::vector<std::vector<int>> candidates(claims.size());
    for (std::size_t i = 0; i < claims.size(); ++i) {
        if (!Lacks(claims[i])) continue;
        candidates[i] = Between(blank, claims[i].header, claims[i].Last());
        for (int u : candidates[i]) ++wanted[u];
    }
    std::map<int, bool> taken;
    for (std::size_t i = 0; i < claims.size(); ++i) {
        FileClaim& c = claims[i];
        if (candidates[i].empty()) continue;
        const int missing = c.Missing();
        std::vector<int> give;
        for (int u : candidates[i]) {
            // A file that might have had it and did not get it is as unsure as the taker.
            if (wanted[u] > 1) c.uncertain = true;
            if (!taken[u] && int(give.size()) < missing) give.push_back(u);
        }
        // Never sure: a unit that refused its write when the file was written reads blank as
        // well, and the file may lack its last unit instead.
        if (!give.empty()) c.uncertain = true;
        for (int u : give) taken[u] = true;
        c.Take(give);
    }
}

void MarkGuessedHeadersUncertain(const std::vector<int>& guessed, const std::vector<int>& lost,
                                 std::vector<FileClaim>& claims) {
    for (FileClaim& c : claims) {
        if (c.uncertain || !Lacks(c)) continue;
        std::vector<int> places = Between(lost, c.header, c.Last());
        auto above = std::upper_bound(lost.begin(), lost.end(), c.Last());
        for (int k = c.Missing(); k > 0 && above != lost.end(); --k, ++above)
            places.push_back(*above);
        for (int u : places)
            if (std::binary_search(guessed.begin(), guessed.end(), u)) c.uncertain = true;
    }
}

void MarkGapsUncertain(const std::vector<int>& unowned, const std::vector<int>& tagged,
                       std::vector<FileClaim>& claims) {
    std::vector<int> owned;
    for (const FileClaim& c : claims) {
        owned.push_back(c.header);
        owned.insert(owned.end(), c.units.begin(), c.units.end());
    }
    std::sort(owned.begin(), owned.end());
    auto leftOut = [&](const std::vector<int>& units, const FileClaim& c) {
        for (int u : Between(units, c.header, c.Last()))
            if (!std::binary_search(owned.begin(), owned.end(), u)) return true;
        return false;
    };
    for (FileClaim& c : claims) {
        if (c.uncertain || IsFurtherPart(c)) continue;
        if (leftOut(unowned, c) || (c.Missing() > 0 && leftOut(tagged, c))) c.uncertain = true;
    }
}

}  // namespace orv
