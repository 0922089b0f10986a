// Where KelvaneCLI finds its library: in the folder of its own file first
// (links to the program resolved), in the working directory only when that
// folder has no file of the library's name. Folder A holds the program,
// folder B is the working directory.
#include <filesystem>
#include <string>

#include "cli/process/program_runner.h"
#include "commands/exit_codes.h"

namespace kelvane::testing {
namespace {

using namespace kelvane::cli;
namespace fs = std::filesystem;

// A serial number that only the virtual-chip flavour, reading this bench,
// can list.
constexpr char kBench[] = "chip vid=1209 pid=4b56 serial=KVBESIDE\n";
constexpr char kListing[] = "Number of connected devices (VID = 0X1209, PID = 0X4B56): 1\n\n\t0) SN = \"KVBESIDE\"\n";
constexpr char kStateFile[] = "kelvane-virtual-state.txt";

class LibraryLookup : public CliProcessTest {
protected:
    void SetUp() override {
        CliProcessTest::SetUp();
        WriteBench(kBench);
        a_ = PathOf("A");
        b_ = PathOf("B");
        program_ = PlaceProgram(a_);
        fs::create_directories(b_);
        runtime_ = LibraryWithoutEntryPoints();
        ASSERT_FALSE(runtime_.empty());
    }

    static void PutVirtualLibrary(const fs::path& folder) {
        PlaceFileAs(fs::absolute(KELVANE_VIRTUAL_LIBRARY), folder / kLibraryFile);
    }
    // A library of the right name that is not the device-access library.
    void PutOtherLibrary(const fs::path& folder) const {
        PlaceFileAs(runtime_, folder / kLibraryFile);
    }

    fs::path a_;
    fs::path b_;
    fs::path program_;
    std::string runtime_;
};

TEST_F(LibraryLookup, TheLibraryBesideTheProgramServesAnyWorkingDirectory) {
    PutVirtualLibrary(a_);
    EXPECT_RUN(RunIn(program_, b_, {"-devices"}), kListing, kExitSuccess);
    // It ran in B: the virtual chips keep their state in the working directory.
    EXPECT_TRUE(fs::exists(b_ / kStateFile));
    EXPECT_FALSE(fs::exists(a_ / kStateFile));
    EXPECT_RUN(RunIn(program_, b_, {"-connectS=KVBESIDE"}), "\nConnected to device 0, SN: KVBESIDE\n\n",
               kExitSuccess);
}

TEST_F(LibraryLookup, ALibraryPlantedInTheWorkingDirectoryIsNotUsed) {
    PutVirtualLibrary(a_);
    PutOtherLibrary(b_);
    EXPECT_RUN(RunIn(program_, b_, {"-devices"}), kListing, kExitSuccess);
    // The other way round: the program's folder decides even when its file
    // is no device-access library, and the working directory is not tried.
    RemoveFile(a_ / kLibraryFile);
    RemoveFile(b_ / kLibraryFile);
    PutOtherLibrary(a_);
    PutVirtualLibrary(b_);
    EXPECT_RUN(RunIn(program_, b_, {"-devices"}), "Could not load DLL.\n", kExitLibraryNotFound);
#ifndef _WIN32
    // So does a link there that leads nowhere.
    RemoveFile(a_ / kLibraryFile);
    fs::create_symlink(a_ / "gone" / kLibraryFile, a_ / kLibraryFile);
    EXPECT_RUN(RunIn(program_, b_, {"-devices"}), "Could not load DLL.\n", kExitLibraryNotFound);
#endif
}

TEST_F(LibraryLookup, WithoutALibraryBesideTheProgramTheWorkingDirectoryServes) {
    PutVirtualLibrary(b_);
    EXPECT_RUN(RunIn(program_, b_, {"-devices"}), kListing, kExitSuccess);
    // Neither folder: the one above both, which holds a library, does not
    // count.
    RemoveFile(b_ / kLibraryFile);
    ASSERT_TRUE(fs::exists(PathOf(kLibraryFile)));
    EXPECT_RUN(RunIn(program_, b_, {"-devices"}), "Could not load DLL.\n", kExitLibraryNotFound);
}

#ifndef _WIN32
TEST_F(LibraryLookup, AProgramReachedThroughLinksUsesTheFolderOfItsFile) {
    // bin/KelvaneCLI -> links/KelvaneCLI -> A/KelvaneCLI, as an installation
    // puts a link to the program on PATH.
    PutVirtualLibrary(a_);
    const fs::path links = PathOf("links");
    const fs::path bin = PathOf("bin");
    fs::create_directories(links);
    fs::create_directories(bin);
    fs::create_symlink(fs::path("..") / "A" / "KelvaneCLI", links / "KelvaneCLI");
    fs::create_symlink(links / "KelvaneCLI", bin / "KelvaneCLI");
    PutOtherLibrary(links);
    PutOtherLibrary(bin);
    PutOtherLibrary(b_);
    EXPECT_RUN(RunIn(bin / "KelvaneCLI", b_, {"-devices"}), kListing, kExitSuccess);
}
#endif

}  // namespace
}  // namespace kelvane::testing
