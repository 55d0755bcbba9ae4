#pragma once
// The reason a file operation failed, in words a person can read: Japanese
// for the failures people meet (missing folder, no permission, full disk),
// the system's own text for the rest.

#include <string>

// `error` is an errno value.
std::string SystemErrorText(int error);
