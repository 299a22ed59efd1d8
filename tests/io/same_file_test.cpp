// Whether two names stand for one file: the paths they lead to once links are followed, or the
// device and inode of a file that exists.
#include "io/same_file.h"

#include "support/run_program.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace meanflux::test {
namespace {

namespace fs = std::filesystem;

TEST(SameFile, NamesOfOneFileAndOfTwo)
{
    scratch_dir dir;
    dir.write("a.dat", "a\n");
    dir.write("b.dat", "b\n");
    fs::create_directory(dir / "d");
    fs::create_directory_symlink("d", dir / "ld");
    fs::create_symlink("a.dat", dir / "to-a");
    fs::create_symlink("to-a", dir / "to-to-a");
    fs::create_symlink("d/new.dat", dir / "to-new"); // a file not there yet
    fs::create_hard_link(dir / "a.dat", dir / "hard-a");
    struct Case {
        const char *first, *second;
        bool same;
        const char* what;
    };
    const Case cases[] = {
        {"a.dat", "a.dat", true, "the same name"},
        {"a.dat", "./a.dat", true, "written another way"},
        {"d/../a.dat", "a.dat", true, "through .."},
        {"to-to-a", "a.dat", true, "a chain of links"},
        {"hard-a", "a.dat", true, "a hard link: the same device and inode"},
        {"to-new", "d/new.dat", true, "a link to a file not there yet"},
        {"ld/new.dat", "d/new.dat", true, "a file not there yet, through a linked directory"},
        {"d/new.dat", "d/other.dat", false, "two files not there yet"},
        {"a.dat", "b.dat", false, "two files"},
        {"to-a", "b.dat", false, "a link to another file"},
        {"/dev/null", "/dev/null", false, "a device is written into, never replaced"},
    };
    const fs::path before = fs::current_path();
    fs::current_path(dir.path());
    for (const auto& c : cases) {
        const std::string names[] = {c.first, c.second};
        const std::vector<file_identity> identities = identify_files(names);
        EXPECT_EQ(same_file(identities[0], identities[1]), c.same) << c.what;
    }
    fs::current_path(before);
}

} // namespace
} // namespace meanflux::test
