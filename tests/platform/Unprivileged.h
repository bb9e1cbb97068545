#pragma once

// Tests of what happens when the file system refuses something: a folder the user may not write,
// a file the user may not read, a file system mounted read-only. Permissions do not bind the
// superuser, and the test suite runs as root in CI, so such a test runs itself again in a child
// process where they do bind:
//
//     TEST(Suite, Name) {
//         if (platformtest::RerunAsUnprivilegedUser())
//             return; // the child ran the test; its result is this test's result
//         ... the test, as a user whom permissions bind ...
//     }
//
// The child is the same test program, started for this one test only, so everything the test
// makes (temporary folders, files) is made by the user it runs as. RerunWithPrivateMounts starts
// such a child with mounts of its own, for a read-only file system (ReadOnlyMount). A child that cannot be started
// fails the test: these behaviours are never left unchecked.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace platformtest {

// The unprivileged user and group of Debian and most Linux systems ("nobody", "nogroup").
inline constexpr uid_t UnprivilegedUser = 65534;
inline constexpr gid_t UnprivilegedGroup = 65534;

namespace detail {

// Marks a child started for its own mount namespace, so that it does not start another one.
inline constexpr const char* PrivateMountsVariable = "BORVIK_TEST_PRIVATE_MOUNTS";

inline std::string CurrentTestFilter() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name();
}

inline bool WriteWhole(const char* path, const std::string& text) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return ok;
}

enum class ChildKind { Unprivileged, PrivateMounts };

// Starts this test program for the current test alone, as `kind` asks, and waits for it. Returns
// an empty text when the child passed, else why not.
inline std::string RunChild(ChildKind kind) {
    // Everything the child needs is made before the fork: after it only system calls run.
    std::string program = "/proc/self/exe";
    std::string filter = CurrentTestFilter();
    std::string repeat = "--gtest_repeat=1";
    std::vector<char*> argv{program.data(), filter.data(), repeat.data(), nullptr};
    const uid_t uid = ::getuid();
    const gid_t gid = ::getgid();
    const std::string uidMap = "0 " + std::to_string(uid) + " 1\n";
    const std::string gidMap = "0 " + std::to_string(gid) + " 1\n";
    if (kind == ChildKind::PrivateMounts)
        ::setenv(PrivateMountsVariable, "1", 1);
    // The program is opened now and started through this descriptor, so that the unprivileged
    // user needs no way through the folders above it (a build folder in a private checkout).
    const int programFd = ::open(program.c_str(), O_RDONLY | O_CLOEXEC);
    if (programFd < 0)
        return std::string("cannot open the test program: ") + std::strerror(errno);
    std::fflush(nullptr);

    const pid_t child = ::fork();
    if (child < 0) {
        ::close(programFd);
        return std::string("cannot start a child process: ") + std::strerror(errno);
    }
    if (child == 0) {
        if (kind == ChildKind::Unprivileged) {
            if (::setgroups(0, nullptr) != 0 || ::setresgid(UnprivilegedGroup, UnprivilegedGroup, UnprivilegedGroup) != 0 ||
                ::setresuid(UnprivilegedUser, UnprivilegedUser, UnprivilegedUser) != 0)
                ::_exit(120);
        } else {
            // The superuser may have mounts of its own; anyone else becomes root of a user
            // namespace of its own, where the same holds.
            if (uid != 0) {
                if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 ||
                    !WriteWhole("/proc/self/setgroups", "deny") || !WriteWhole("/proc/self/uid_map", uidMap) ||
                    !WriteWhole("/proc/self/gid_map", gidMap))
                    ::_exit(121);
            } else if (::unshare(CLONE_NEWNS) != 0) {
                ::_exit(121);
            }
            // Mounts made in the child never reach the rest of the system.
            if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
                ::_exit(122);
        }
        ::fexecve(programFd, argv.data(), environ);
        ::_exit(123);
    }
    ::close(programFd);
    if (kind == ChildKind::PrivateMounts)
        ::unsetenv(PrivateMountsVariable);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return std::string("cannot wait for the child process: ") + std::strerror(errno);
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return {};
    if (WIFEXITED(status)) {
        switch (WEXITSTATUS(status)) {
        case 120:
            return "the child could not become the unprivileged user";
        case 121:
            return "the child could not get a mount namespace of its own";
        case 122:
            return "the child could not make its mounts private";
        case 123:
            return "the child could not start the test program";
        default:
            return "the test failed in the child process (its output is above)";
        }
    }
    return "the child process ended by signal " + std::to_string(WTERMSIG(status));
}

} // namespace detail

// As root: runs the current test again in a child process as the unprivileged user, fails this
// test when the child failed, and returns true (the caller returns at once). As any other user,
// and in that child: returns false, and the test goes on in this process.
inline bool RerunAsUnprivilegedUser() {
    if (::geteuid() != 0)
        return false;
    const std::string failure = detail::RunChild(detail::ChildKind::Unprivileged);
    EXPECT_EQ(failure, "") << "as the unprivileged user " << UnprivilegedUser;
    return true;
}

// Runs the current test again in a child process that has mounts of its own (see
// MountReadOnlyFolder) and returns true, the child's result being this test's; in that child it
// returns false and the test goes on.
inline bool RerunWithPrivateMounts() {
    if (const char* marked = std::getenv(detail::PrivateMountsVariable); marked != nullptr && *marked != '\0')
        return false;
    const std::string failure = detail::RunChild(detail::ChildKind::PrivateMounts);
    EXPECT_EQ(failure, "") << "in a child process with mounts of its own";
    return true;
}

// In a child of RerunWithPrivateMounts: a fresh file system on `folder` that `fill` puts files
// into and that is then mounted read-only, for as long as the object lives. `error` says why when
// that could not be done.
class ReadOnlyMount {
public:
    template <typename Fill> ReadOnlyMount(const std::filesystem::path& folder, Fill fill) : folder_(folder) {
        if (::mount("borvik-test", folder_.c_str(), "tmpfs", 0, "size=1m,mode=0755") != 0) {
            error = std::string("cannot mount a file system for the test: ") + std::strerror(errno);
            return;
        }
        mounted_ = true;
        fill();
        if (::mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0)
            error = std::string("cannot make the test's file system read-only: ") + std::strerror(errno);
    }
    ~ReadOnlyMount() {
        if (mounted_)
            ::umount2(folder_.c_str(), MNT_DETACH);
    }
    ReadOnlyMount(const ReadOnlyMount&) = delete;
    ReadOnlyMount& operator=(const ReadOnlyMount&) = delete;

    std::string error;

private:
    std::filesystem::path folder_;
    bool mounted_ = false;
};

} // namespace platformtest
