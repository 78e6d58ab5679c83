// Where the opening book installed with the tenu program is.
#pragma once

#include <string>

// The book beside the running program (bin/../share/tenu/openings.txt, as
// installed), else at the place this build installs it; empty when neither
// exists, as for a program run from its build tree.
std::string InstalledBookPath();
