// Where orvalis-mount tells what happened: the terminal until the folder is mounted, the system
// log once the program serves it in the background (its terminal may be long gone by then).
#pragma once

#include <string>

namespace orv::mount {

class CMountLog {
public:
    void Say(const std::string& text);
    // From now on to the system log (as "orvalis-mount", with the process number).
    void ToSystemLog();

private:
    bool m_bSystemLog = false;
};

}  // namespace orv::mount
