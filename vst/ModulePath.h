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
// an empty string when the platform cannot tell. On Windows the name is that
// of the module recorded by the attach routine, of any length the system
// allows (not only MAX_PATH). Any thread.
std::string moduleFileName();

// The platform's handle of the module that contains this code: the instance
// handle (HINSTANCE) passed to DllMain on Windows, which window classes and
// resource look-ups of the editor need; the load address of the library
// elsewhere. Null when unknown (on Windows: code linked into a program rather
// than a DLL, where null means "the program itself" to the system). Any thread
// after the library is attached.
void* moduleHandle();

} // namespace vst
