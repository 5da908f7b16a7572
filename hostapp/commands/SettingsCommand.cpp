// morvatelle settings: the plug-in's own settings tool, run as a program, so
// the host never holds a second copy of the record's layout.
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "commands/Commands.h"
#include "common/HostError.h"
#include "commands/Paths.h"

namespace mv {

int runSettings(const std::vector<std::string>& arguments) {
    std::string tool = settingsToolPath().string();
    if (access(tool.c_str(), X_OK) != 0) fail(tool + ": the settings tool is missing (" + std::strerror(errno) + ")");
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(tool.c_str()));
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(tool.c_str(), argv.data());
    fail(tool + ": cannot run (" + std::strerror(errno) + ")");
}

}  // namespace mv
