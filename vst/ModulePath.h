#pragma once

#include <string>

namespace vst {

// The separator between folders in the paths of this platform.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// The full file name of the library (or program) that contains this code, or
// an empty string when the platform cannot tell. Any thread.
std::string moduleFileName();

} // namespace vst
