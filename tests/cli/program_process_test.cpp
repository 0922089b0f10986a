// The built KelvaneCLI as a child process: exact standard output, nothing on
// standard error, and the exit status (POSIX keeps its low 8 bits).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "help_pages.h"

extern char** environ;

namespace {

struct ProgramRun {
    std::string out;
    std::string err;
    int status = -1;  // low 8 bits of the exit code, or -1 when not exited
};

std::string Narrow(const wchar_t* text) {
    std::string narrow;
    for (const wchar_t* p = text; *p != L'\0'; ++p) {
        narrow.push_back(static_cast<char>(*p));
    }
    return narrow;
}

class ProgramProcess : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "kelvane-cli-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }

    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    // Runs the program in the temporary directory with the given arguments.
    ProgramRun Run(const std::vector<std::string>& args) {
        ProgramRun run;
        int pipeFds[2];
        if (pipe(pipeFds) != 0) {
            ADD_FAILURE() << "pipe";
            return run;
        }
        const std::string errPath = (dir_ / "stderr.txt").string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_addchdir_np(&actions, dir_.c_str());

        std::string program = KELVANE_CLI_PROGRAM;
        std::vector<char*> argv{program.data()};
        std::vector<std::string> copies = args;
        for (std::string& a : copies) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);

        pid_t child = 0;
        const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(pipeFds[1]);
        if (spawned != 0) {
            close(pipeFds[0]);
            ADD_FAILURE() << "cannot start " << program;
            return run;
        }
        char buffer[4096];
        for (;;) {
            const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
            if (n > 0) {
                run.out.append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                break;
            }
        }
        close(pipeFds[0]);
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream errFile(errPath, std::ios::binary);
        std::ostringstream errText;
        errText << errFile.rdbuf();
        run.err = errText.str();
        return run;
    }

    std::filesystem::path dir_;
};

constexpr int kLow8InvalidCommand = -400 & 0xFF;  // 112

TEST_F(ProgramProcess, NoArgumentsShowsTheGeneralPageAndBanner) {
    const ProgramRun run = Run({});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, Narrow(kelvane::cli::kGeneralPage) + Narrow(kelvane::cli::kVersionBanner));
    EXPECT_EQ(run.out.substr(0, 61), std::string(60, '-') + "\n");
    EXPECT_NE(run.out.find("\n    Will display the detailed help for the I2C write command.\n\nVersion 1.0.2\n"),
              std::string::npos);
}

TEST_F(ProgramProcess, ErrShowsTheExitCodePage) {
    const ProgramRun run = Run({"-err"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, Narrow(kelvane::cli::kExitCodePage));
    EXPECT_EQ(run.out.substr(0, 85), "\n" + std::string(83, '-') + "\n");
    EXPECT_NE(run.out.find("\n-400    Invalid command\n"), std::string::npos);
    EXPECT_NE(run.out.find("\n-27     Received more data bytes than requested\n"), std::string::npos);
}

TEST_F(ProgramProcess, TopicPageWithAHelpWord) {
    const ProgramRun run = Run({"/GPIOR", "-help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, Narrow(kelvane::cli::kGpioRPage));
    EXPECT_NE(run.out.find("\ngpioR=gp<pin number>[,gp<pin number>,gp<pin number>,gp<pin number>]\n"),
              std::string::npos);
}

TEST_F(ProgramProcess, UnknownArgumentEndsWithInvalidCommand) {
    const ProgramRun run = Run({"-i2cr=5", "-nonsense", "-help"});
    EXPECT_EQ(run.status, kLow8InvalidCommand);
    EXPECT_EQ(run.out, "Error: Invalid Command.");
    EXPECT_EQ(run.err, "");
}

TEST_F(ProgramProcess, OptionsWithoutACommandEndWithInvalidCommand) {
    const ProgramRun run = Run({"-vid=12"});
    EXPECT_EQ(run.status, kLow8InvalidCommand);
    EXPECT_EQ(run.out, "Error: Invalid command.\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(ProgramProcess, UndecodableArgumentIsAnInvalidArgumentNotACrash) {
    const ProgramRun run = Run({"-\xFF\xFE"});
    EXPECT_EQ(run.status, kLow8InvalidCommand);
    EXPECT_EQ(run.out, "Error: Invalid Command.");
    EXPECT_EQ(run.err, "");
}

}  // namespace
