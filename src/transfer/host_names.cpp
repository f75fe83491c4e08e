#include "transfer/host_names.h"

namespace orv {

std::string SafeHostName(const std::string& diskName) {
    std::string name = diskName;
    for (char& c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '/' || u < 0x20 || u == 0x7F) c = '_';
    }
    if (name.empty() || name == "." || name == "..") name = "_" + name;
    return name;
}

}  // namespace orv
