// Names of a batch's outputs as the volumes they go to compare them.
#pragma once
#include <string>

// name in the form in which two names that differ only in letter case are
// equal: ASCII letters and the two-byte UTF-8 letters that volumes of USB
// sticks fold (Latin-1, Latin Extended-A, Greek, Cyrillic) in lower case;
// every other byte as it is.
std::string FoldedName(const std::string& name);
