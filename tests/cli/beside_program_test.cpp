// The path of the library file beside the program, from the path of the
// program's own file, for POSIX and for Windows paths.
#include "binding/beside_program.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvane::cli {
namespace {

constexpr char kName[] = "KelvaneDLL-UM_x86.dll";
constexpr wchar_t kWideName[] = L"KelvaneDLL-UM_x86.dll";

TEST(BesideProgram, PosixPathsKeepTheProgramsFolder) {
    EXPECT_EQ(PathBesideProgram("/usr/lib/kelvane/KelvaneCLI", kName), "/usr/lib/kelvane/KelvaneDLL-UM_x86.dll");
    EXPECT_EQ(PathBesideProgram("/KelvaneCLI", kName), "/KelvaneDLL-UM_x86.dll");
    // Only the last component is replaced, whatever dots or spaces the
    // folders hold.
    EXPECT_EQ(PathBesideProgram("/opt/my tools.d/x.y/KelvaneCLI (deleted)", kName),
              "/opt/my tools.d/x.y/KelvaneDLL-UM_x86.dll");
    // No folder known: no path, so that nothing relative is tried.
    EXPECT_EQ(PathBesideProgram("KelvaneCLI", kName), "");
    EXPECT_EQ(PathBesideProgram("", kName), "");
}

TEST(BesideProgram, WindowsPathsTakeEitherSeparator) {
    EXPECT_EQ(WindowsPathBesideProgram(L"C:\\Program Files\\Kelvane\\KelvaneCLI.exe", kWideName),
              L"C:\\Program Files\\Kelvane\\KelvaneDLL-UM_x86.dll");
    EXPECT_EQ(WindowsPathBesideProgram(L"C:\\tools/bin/KelvaneCLI.exe", kWideName),
              L"C:\\tools/bin/KelvaneDLL-UM_x86.dll");
    EXPECT_EQ(WindowsPathBesideProgram(L"C:/tools\\bin\\KelvaneCLI.exe", kWideName),
              L"C:/tools\\bin\\KelvaneDLL-UM_x86.dll");
    EXPECT_EQ(WindowsPathBesideProgram(L"\\\\server\\share\\KelvaneCLI.exe", kWideName),
              L"\\\\server\\share\\KelvaneDLL-UM_x86.dll");
    EXPECT_EQ(WindowsPathBesideProgram(L"KelvaneCLI.exe", kWideName), L"");
}

TEST(BesideProgram, LongWindowsPathsGetTheExtendedLengthPrefix) {
    const std::wstring name(kWideName);
    // A folder whose path with the file name is 259 characters stays as it
    // is; one more character makes 260 and needs the prefix.
    const std::wstring folder259 = L"C:\\" + std::wstring(259 - 3 - 1 - name.size(), L'a') + L"\\";
    ASSERT_EQ((folder259 + name).size(), 259u);
    EXPECT_EQ(WindowsPathBesideProgram(folder259 + L"KelvaneCLI.exe", name), folder259 + name);
    const std::wstring folder260 = L"C:\\" + std::wstring(260 - 3 - 1 - name.size(), L'a') + L"\\";
    EXPECT_EQ(WindowsPathBesideProgram(folder260 + L"KelvaneCLI.exe", name), L"\\\\?\\" + folder260 + name);

    // Forward slashes are not separators after the prefix: they are turned.
    const std::wstring deep(300, L'b');
    EXPECT_EQ(WindowsPathBesideProgram(L"D:/" + deep + L"/KelvaneCLI.exe", name),
              L"\\\\?\\D:\\" + deep + L"\\" + name);
    // A share gets the UNC form of the prefix.
    EXPECT_EQ(WindowsPathBesideProgram(L"\\\\server\\share\\" + deep + L"\\KelvaneCLI.exe", name),
              L"\\\\?\\UNC\\server\\share\\" + deep + L"\\" + name);
    // A path that has the prefix already is kept.
    EXPECT_EQ(WindowsPathBesideProgram(L"\\\\?\\C:\\" + deep + L"\\KelvaneCLI.exe", name),
              L"\\\\?\\C:\\" + deep + L"\\" + name);
}

}  // namespace
}  // namespace kelvane::cli
