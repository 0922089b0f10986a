// Paths of files that lie in the same folder as the running program's own
// file. The operating-system calls that tell where that file is live in
// dynamic_library_posix.cpp and dynamic_library_windows.cpp; the text rules
// are here, the same on every platform that builds them.
#pragma once

#include <string>
#include <string_view>

namespace kelvane::cli {

// The path of fileName in the folder of the file at programPath: programPath
// up to and including its last '/', then fileName. Empty when programPath
// has no '/' (no folder is known).
std::string PathBesideProgram(std::string_view programPath, std::string_view fileName);

// The same for a Windows program path, whose separators are '\' and '/'.
// A result of MAX_PATH (260) characters or more gets the extended-length
// prefix (\\?\ for a drive path, \\?\UNC\ for a share), with every '/'
// turned into '\', so that the file functions take it whatever the
// system's long-path setting; a path that already has the prefix is kept
// as it is. Empty when programPath has no separator.
std::wstring WindowsPathBesideProgram(std::wstring_view programPath, std::wstring_view fileName);

}  // namespace kelvane::cli
