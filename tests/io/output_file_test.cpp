#include "io/file_set.h"
#include "io/output_file.h"
#include "io/pending_files.h"
#include "io/whole_file.h"

#include "support/file_tree.h"
#include "support/run_program.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace meanflux::test {
namespace {

namespace fs = std::filesystem;

bool is_character_device(const fs::path& file)
{
    struct stat st {};
    return ::lstat(file.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

class OutputFile : public ::testing::Test {
  protected:
    void SetUp() override
    {
        fs::create_directory(dir / "sub");
        dir.write("old.dat", "the user's earlier file\n");
        fs::permissions(dir / "old.dat",
                        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
        dir.write("sub/real.dat", "the file the links lead to\n");
        fs::create_symlink("sub/real.dat", dir / "link.dat");
        fs::create_symlink("link.dat", dir / "chain.dat");
        fs::create_symlink("../old.dat", dir / "sub/up.dat");
        fs::create_symlink(dir / "sub/real.dat", dir / "absolute.dat");
        fs::create_symlink("sub/new.dat", dir / "dangling.dat");
        fs::create_symlink("/dev/null", dir / "null.dat");
    }
    scratch_dir dir;
};

TEST_F(OutputFile, LinksAreFollowedAndStay)
{
    struct Case {
        const char* name;    // the output as named
        const char* written; // the file that receives the bytes
    };
    constexpr Case cases[] = {
        {"new.dat", "new.dat"},
        {"old.dat", "old.dat"},
        {"link.dat", "sub/real.dat"},     // a relative link into another directory
        {"chain.dat", "sub/real.dat"},    // a link to a link
        {"sub/up.dat", "old.dat"},        // relative to the directory that holds the link
        {"absolute.dat", "sub/real.dat"}, // an absolute link
        {"dangling.dat", "sub/new.dat"},  // a link to a file not there yet: the file is made
    };
    for (const auto& c : cases) {
        fs::remove_all(dir / "sub");
        for (const std::string& name : dir.entries())
            fs::remove(dir / name);
        SetUp();
        std::vector<std::string> before = tree(dir.path());
        const std::string bytes = std::string("written through ") + c.name + "\r\n";
        ASSERT_EQ(write_whole_file((dir / c.name).c_str(), bytes), 0) << c.name;
        EXPECT_EQ(read_file(dir / c.written), bytes) << c.name;
        if (std::find(before.begin(), before.end(), c.written) == before.end())
            before.push_back(c.written);
        std::sort(before.begin(), before.end());
        EXPECT_EQ(tree(dir.path()), before) << c.name << ": links as they were, no temporary file";
    }
}

TEST_F(OutputFile, AReplacedFileKeepsItsPermissions)
{
    ASSERT_EQ(write_whole_file((dir / "sub/up.dat").c_str(), "new\n"), 0);
    EXPECT_EQ(fs::status(dir / "old.dat").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(OutputFile, AReplacedFileKeepsItsOwner)
{
    if (!running_as_root())
        GTEST_SKIP() << "only root can give a file to another user";
    ASSERT_EQ(::chown((dir / "old.dat").c_str(), 4321, 4322), 0);
    ASSERT_EQ(write_whole_file((dir / "old.dat").c_str(), "new\n"), 0);
    struct stat st {};
    ASSERT_EQ(::stat((dir / "old.dat").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 4322u);
}

TEST_F(OutputFile, FailuresLeaveEverythingAsItWas)
{
    fs::create_symlink("loop2.dat", dir / "loop1.dat");
    fs::create_symlink("loop1.dat", dir / "loop2.dat");
    fs::create_symlink("/dev/full", dir / "full.dat");
    fs::create_symlink("no/such/dir/x.dat", dir / "nowhere.dat");
    fs::create_directory(dir / "directory.dat");
    fs::create_symlink("directory.dat", dir / "to-directory.dat");
    struct Case {
        const char* name;
        int error_number;
    };
    constexpr Case cases[] = {
        {"full.dat", ENOSPC}, // a link to /dev/full: written into, and the failure reported
        {"loop1.dat", ELOOP},
        {"nowhere.dat", ENOENT},
        {"directory.dat", EISDIR},
        {"to-directory.dat", EISDIR},
    };
    const std::vector<std::string> before = tree(dir.path());
    for (const auto& c : cases)
        EXPECT_EQ(write_whole_file((dir / c.name).c_str(), std::string(70000, 'x')), c.error_number)
            << c.name;
    EXPECT_EQ(tree(dir.path()), before);
    EXPECT_TRUE(is_character_device("/dev/full"));
}

TEST_F(OutputFile, DevicesAreWrittenIntoNeverReplaced)
{
    // Device nodes made in the scratch directory stand for /dev/null and /dev/full, so that a
    // fault could never replace the system's own.
    if (!running_as_root())
        GTEST_SKIP() << "only root can make device nodes";
    ASSERT_EQ(::mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    ASSERT_EQ(::mknod((dir / "full").c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    fs::create_symlink("full", dir / "to-full");
    const std::vector<std::string> before = tree(dir.path());
    EXPECT_EQ(write_whole_file((dir / "null").c_str(), "bytes\n"), 0);
    EXPECT_EQ(write_whole_file((dir / "full").c_str(), "bytes\n"), ENOSPC);
    EXPECT_EQ(write_whole_file((dir / "to-full").c_str(), "bytes\n"), ENOSPC);
    EXPECT_EQ(write_whole_file((dir / "null.dat").c_str(), "bytes\n"), 0); // -> /dev/null
    EXPECT_EQ(tree(dir.path()), before);
}

TEST_F(OutputFile, AFifoIsWrittenIntoNeverReplaced)
{
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
    fs::create_symlink("../fifo", dir / "sub/to-fifo");
    const std::vector<std::string> before = tree(dir.path());
    for (const char* name : {"fifo", "sub/to-fifo"}) {
        fifo_reader reader(dir / "fifo");
        const std::string bytes = std::string(100000, 'f') + name;
        EXPECT_EQ(write_whole_file((dir / name).c_str(), bytes), 0) << name;
        EXPECT_EQ(reader.stop(), bytes) << name;
    }
    EXPECT_EQ(tree(dir.path()), before);
}

TEST_F(OutputFile, TheProcessOwnDescriptorsAreWrittenWhereTheyStand)
{
    // A descriptor opened for appending, as a shell's >> opens standard output: the bytes go
    // after what the file holds, and the file is neither replaced nor cut.
    dir.write("log", "earlier\n");
    const int fd = ::open((dir / "log").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(fd, 3);
    const std::string n = std::to_string(fd);
    fs::create_symlink("/proc/self/fd/" + n, dir / "to-descriptor");
    EXPECT_EQ(write_whole_file(("/proc/self/fd/" + n).c_str(), "one\n"), 0);
    EXPECT_EQ(write_whole_file(("/dev/fd/" + n).c_str(), "two\n"), 0);
    EXPECT_EQ(write_whole_file((dir / "to-descriptor").c_str(), "three\n"), 0);
    EXPECT_EQ(::write(fd, "four\n", 5), 5) << "the descriptor stays open";
    ::close(fd);
    EXPECT_EQ(read_file(dir / "log"), "earlier\none\ntwo\nthree\nfour\n");
    EXPECT_TRUE(fs::is_symlink(dir / "to-descriptor"));

    // A descriptor open only for reading cannot be written to.
    const int input = ::open((dir / "log").c_str(), O_RDONLY | O_CLOEXEC);
    EXPECT_EQ(write_whole_file(("/dev/fd/" + std::to_string(input)).c_str(), "x"), EBADF);
    ::close(input);
    EXPECT_EQ(read_file(dir / "log"), "earlier\none\ntwo\nthree\nfour\n");
}

TEST_F(OutputFile, SeveralFilesPendingAtOnce)
{
    // Temporary files of outputs begun and not yet finished stand beside their files; each
    // takes its name, or goes, on its own.
    const std::size_t entries = dir.entries().size();
    std::vector<output_file> outs(3);
    const char* names[] = {"a.dat", "b.dat", "old.dat"};
    for (std::size_t i = 0; i < outs.size(); ++i) {
        ASSERT_EQ(begin_output((dir / names[i]).c_str(), outs[i]), 0);
        std::fputs(names[i], outs[i].stream);
    }
    EXPECT_EQ(dir.entries().size(), entries + 3) << "three temporary files";
    int error_number = 0;
    EXPECT_EQ(finish_output(outs[1], (dir / "b.dat").c_str(), error_number), finish_status::done);
    abandon_output(outs[2]);
    EXPECT_EQ(finish_output(outs[0], (dir / "a.dat").c_str(), error_number), finish_status::done);
    EXPECT_EQ(read_file(dir / "a.dat"), "a.dat");
    EXPECT_EQ(read_file(dir / "b.dat"), "b.dat");
    EXPECT_EQ(read_file(dir / "old.dat"), "the user's earlier file\n");
    EXPECT_EQ(dir.entries().size(), entries + 2);
}

TEST_F(OutputFile, ThePendingListGrowsAsFilesAreBegun)
{
    // More files than a block of the list holds, several blocks over, each closed once complete.
    const std::size_t entries = dir.entries().size();
    std::vector<output_file> outs(static_cast<std::size_t>(3 * pending_block_entries + 5));
    for (std::size_t i = 0; i < outs.size(); ++i) {
        ASSERT_EQ(begin_output((dir / std::to_string(i)).c_str(), outs[i]), 0) << i;
        ASSERT_EQ(complete_output(outs[i]), 0) << i;
    }
    EXPECT_EQ(dir.entries().size(), entries + outs.size()) << "every temporary file is there";
    int error_number = 0;
    EXPECT_EQ(finish_output(outs.back(), "", error_number), finish_status::done);
    outs.pop_back();
    for (output_file& out : outs)
        abandon_output(out);
    EXPECT_EQ(dir.entries().size(), entries + 1) << "the temporary files are gone";
}

TEST_F(OutputFile, ThreadsWriteTheirFilesSideBySide)
{
    const std::size_t entries = dir.entries().size();
    auto write_many = [this](char tag, int& failures) {
        for (std::size_t i = 0; i < 200; ++i) {
            const std::string name = std::string(1, tag) + std::to_string(i % 7) + ".dat";
            failures += write_whole_file((dir / name).c_str(), name + std::string(i, tag)) != 0;
        }
    };
    int failures_a = 0, failures_b = 0;
    std::thread a(write_many, 'a', std::ref(failures_a));
    std::thread b(write_many, 'b', std::ref(failures_b));
    a.join();
    b.join();
    EXPECT_EQ(failures_a + failures_b, 0);
    EXPECT_EQ(read_file(dir / "a3.dat"), "a3.dat" + std::string(199, 'a')); // i = 199 last
    EXPECT_EQ(read_file(dir / "b0.dat"), "b0.dat" + std::string(196, 'b'));
    EXPECT_EQ(dir.entries().size(), entries + 14) << "no temporary file left";
}

TEST(OutputName, StandardOutputIsNamedInWords)
{
    EXPECT_STREQ(output_name_for_messages("-"), "standard output");
    EXPECT_STREQ(output_name_for_messages("x.dat"), "x.dat");
    EXPECT_STREQ(output_name_for_messages("./-"), "./-");
}

} // namespace
} // namespace meanflux::test

namespace meanflux::test {
namespace {

TEST(ReadWholeFile, WhatEachKindOfInputGives)
{
    scratch_dir dir;
    dir.write("small.dat", "two\nlines\n");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
    std::filesystem::create_directory(dir / "folder");
    struct Case {
        std::filesystem::path name;
        std::size_t limit;
        whole_file_status status;
        std::string bytes;
        const char* what;
    };
    const Case cases[] = {
        {dir / "small.dat", 100, whole_file_status::read, "two\nlines\n", "a regular file"},
        {dir / "small.dat", 10, whole_file_status::read, "two\nlines\n", "exactly the limit"},
        {dir / "small.dat", 9, whole_file_status::too_large, "", "one byte past the limit"},
        {"/dev/zero", 1 << 20, whole_file_status::too_large, "", "an endless input"},
        {dir / "fifo", 100, whole_file_status::read, "", "a FIFO nobody writes: empty, no wait"},
        {dir / "folder", 100, whole_file_status::cannot_read, "", "a directory"},
        {dir / "missing", 100, whole_file_status::cannot_read, "", "no such file"},
    };
    for (const auto& c : cases) {
        std::string bytes = "earlier contents";
        EXPECT_EQ(read_whole_file(c.name.c_str(), c.limit, bytes).status, c.status) << c.what;
        EXPECT_EQ(bytes, c.bytes) << c.what;
    }
}

} // namespace
} // namespace meanflux::test

namespace meanflux::test {
namespace {

TEST(FileSet, MoreFilesThanTheProcessMayHoldOpen)
{
    // Each file is closed once complete: a set of 300 files is written under a limit of 40 open
    // descriptors.
    scratch_dir dir;
    std::vector<std::string> names;
    for (int i = 0; i < 300; ++i)
        names.push_back((dir / (std::to_string(i) + ".dat")).string());
    std::vector<file_to_write> files;
    for (const std::string& name : names)
        files.push_back({name.c_str(), {}, name});
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit lowered = saved;
    lowered.rlim_cur = 40;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);
    const file_set_result r = write_files_together(files);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(r.status, file_set_status::written) << strerror(r.error_number);
    EXPECT_EQ(read_file(names[299]), names[299]);
    EXPECT_EQ(tree(dir.path()).size(), 300u) << "no temporary file stays";
}

TEST(FileSet, AllOrNothing)
{
    scratch_dir dir;
    dir.write("b.dat", "the user's earlier b\n");
    std::filesystem::create_directory(dir / "taken");
    const std::string a = (dir / "a.dat").string(), b = (dir / "b.dat").string();
    const std::string taken = (dir / "taken").string(), nowhere = (dir / "no/such.dat").string();
    struct Case {
        std::vector<file_to_write> files;
        file_set_status status;
        std::size_t file;
        const char* what;
    };
    const Case cases[] = {
        {{{a.c_str(), "head ", "a"}, {b.c_str(), {}, "b"}},
         file_set_status::written,
         0,
         "both written; an empty head writes nothing"},
        {{{a.c_str(), {}, "A"}, {taken.c_str(), {}, "t"}},
         file_set_status::is_a_directory,
         1,
         "a name taken by a directory"},
        {{{a.c_str(), {}, "A"}, {nowhere.c_str(), {}, "n"}},
         file_set_status::cannot_write,
         1,
         "a file that cannot be created"},
    };
    for (const auto& c : cases) {
        dir.write("a.dat", "the user's earlier a\n");
        dir.write("b.dat", "the user's earlier b\n");
        const file_set_result r = write_files_together(c.files);
        EXPECT_EQ(r.status, c.status) << c.what;
        EXPECT_EQ(r.file, c.file) << c.what;
        const bool written = c.status == file_set_status::written;
        EXPECT_EQ(read_file(dir / "a.dat"), written ? "head a" : "the user's earlier a\n")
            << c.what;
        EXPECT_EQ(read_file(dir / "b.dat"), written ? "b" : "the user's earlier b\n") << c.what;
        EXPECT_EQ(tree(dir.path()), (std::vector<std::string>{"a.dat", "b.dat", "taken/"}))
            << c.what << ": no temporary file stays";
    }
}

} // namespace
} // namespace meanflux::test
