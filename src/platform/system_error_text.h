#pragma once
// The reason a file operation failed, in Japanese words a person can read,
// for every error a file operation can give; any other error is named by its
// number, never by the system's English text.

#include <string>

// `error` is an errno value.
std::string SystemErrorText(int error);
