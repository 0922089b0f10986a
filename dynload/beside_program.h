// Paths of files that lie in the same folder as the running program's own
// file (or in a folder above it). The operating-system calls that tell where
// that file is live in dynamic_library_posix.cpp and
// dynamic_library_windows.cpp; the text rules are here, the same on every
// platform that builds them.
#pragma once

#include <string>
#include <string_view>

namespace kelvane::dynload {

// The path of fileName in the folder of the file at programPath: programPath
// up to and including its last '/', then fileName. With levelsUp, that many
// more folders are taken off the end first ("/a/b/bin/x" one level up gives
// "/a/b/"). Empty when programPath has too few '/' (no such folder is known).
std::string PathBesideProgram(std::string_view programPath, std::string_view fileName, unsigned levelsUp = 0);

// The same for a Windows program path, whose separators are '\' and '/'.
// A result of MAX_PATH (260) characters or more gets the extended-length
// prefix (\\?\ for a drive path, \\?\UNC\ for a share), with every '/'
// turned into '\', so that the file functions take it whatever the
// system's long-path setting; a path that already has the prefix is kept
// as it is. Empty when programPath has too few separators.
std::wstring WindowsPathBesideProgram(std::wstring_view programPath, std::wstring_view fileName, unsigned levelsUp = 0);

}  // namespace kelvane::dynload
