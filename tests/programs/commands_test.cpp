// What every installed command has: --help and --version from one version number, and a manual
// page made from its help, installed with the licence.
#include "support/run_program.h"

#include "meanflux_version.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace meanflux::test {
namespace {

namespace fs = std::filesystem;

// The commands the project installs, as the build lists them.
std::vector<std::string> commands()
{
    std::vector<std::string> names;
    std::stringstream list(MEANFLUX_COMMAND_NAMES);
    for (std::string name; std::getline(list, name, ',');)
        names.push_back(name);
    return names;
}

// The long options a help text names ("--file", "--csv", ...).
std::set<std::string> long_options(const std::string& help)
{
    std::set<std::string> options;
    for (std::size_t at = help.find("--"); at != std::string::npos; at = help.find("--", at)) {
        std::size_t end = at + 2;
        while (end < help.size() &&
               (std::isalnum(static_cast<unsigned char>(help[end])) || help[end] == '-'))
            ++end;
        options.insert(help.substr(at, end - at));
        at = end;
    }
    return options;
}

// A text as the manual page writes it: every dash a roff minus.
std::string roff(std::string text)
{
    for (std::size_t at = text.find('-'); at != std::string::npos; at = text.find('-', at + 2))
        text.replace(at, 1, "\\-");
    return text;
}

TEST(EveryCommand, IsListed)
{
    const std::vector<std::string> names = commands();
    for (const char* name :
         {"meanflux", "meanflux-combine", "meanflux-import", "meanflux-lookup", "meanflux-plot"})
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
}

TEST(EveryCommand, ShowsItsVersionAndHelp)
{
    scratch_dir dir;
    for (const std::string& name : commands()) {
        const program_result version = run_command(name, {"--version"}, dir.path());
        EXPECT_EQ(version.status, 0) << name;
        EXPECT_EQ(version.out, name + " (meanflux) " + meanflux_version + "\n");
        EXPECT_EQ(version.err, "");

        const program_result help = run_command(name, {"--help"}, dir.path());
        EXPECT_EQ(help.status, 0) << name;
        EXPECT_TRUE(help.out.starts_with("usage: " + name + "\n") ||
                    help.out.starts_with("usage: " + name + " "))
            << help.out;
        EXPECT_NE(help.out.find("\n      --version "), std::string::npos) << name;
        EXPECT_EQ(help.err, "");
        EXPECT_TRUE(dir.entries().empty()) << name;

        // Neither can be written: reported, and no success claimed.
        run_options full;
        full.stdout_path = "/dev/full";
        for (const char* option : {"--version", "--help"}) {
            const program_result r = run_command(name, {option}, dir.path(), "", full);
            EXPECT_EQ(r.status, 2) << name << option;
            EXPECT_EQ(r.err, name + ": standard output: No space left on device\n");
        }
    }
    EXPECT_EQ(std::string(meanflux_version), "1.1.0") << "the project's version";
}

TEST(EveryCommand, HasAManualPageMadeFromItsHelp)
{
    scratch_dir dir;
    for (const std::string& name : commands()) {
        const fs::path page = fs::path(MEANFLUX_MAN_DIR) / (name + ".1");
        const std::string text = read_file(page);
        ASSERT_FALSE(text.empty()) << page;
        const std::string title = [&] {
            std::string upper = roff(name);
            for (char& c : upper)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            return upper;
        }();
        EXPECT_NE(text.find("\n.TH " + title + " 1 \"\" \"meanflux " + meanflux_version + "\""),
                  std::string::npos)
            << name;
        EXPECT_NE(text.find("\n.SH NAME\n" + roff(name) + " \\- "), std::string::npos) << name;
        for (const char* section :
             {"SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXIT STATUS", "EXAMPLES"})
            EXPECT_NE(text.find("\n.SH " + std::string(section) + "\n"), std::string::npos)
                << name << " " << section;

        // Every option of the help is on the page, each an item of its own.
        const program_result help = run_command(name, {"--help"}, dir.path());
        for (const std::string& option : long_options(help.out))
            EXPECT_NE(text.find(roff(option)), std::string::npos) << name << " " << option;
        EXPECT_NE(text.find("\n.TP\n.B \\-h, \\-\\-help\n"), std::string::npos) << name;

        // groff reads it without a warning.
        const program_result groff =
            run_program("/usr/bin/groff", {"-man", "-ww", "-z", page.string()}, dir.path(), "");
        EXPECT_EQ(groff.status, 0) << name;
        EXPECT_EQ(groff.err, "") << name;
    }
}

TEST(TheLibrary, HasAManualPageOfEveryPublicFunction)
{
    const fs::path page = fs::path(MEANFLUX_MAN_DIR) / "meanflux.3";
    const std::string text = read_file(page);
    EXPECT_NE(text.find("\n.TH MEANFLUX 3 \"\" \"meanflux " + std::string(meanflux_version) + "\""),
              std::string::npos);
    for (const char* section : {"SYNOPSIS", "DESCRIPTION", "RETURN VALUE", "EXAMPLES"})
        EXPECT_NE(text.find("\n.SH " + std::string(section) + "\n"), std::string::npos) << section;
    // Every function a public header declares (a line that begins with its type and ends its
    // name with a parenthesis) is named in bold in the synopsis and in the text.
    const std::regex declaration(R"(^(\[\[nodiscard\]\] )?[A-Za-z_][\w:<>,&* ]*[ *&](\w+)\()");
    int functions = 0;
    for (const auto& header :
         fs::directory_iterator(fs::path(MEANFLUX_SOURCE_DIR) / "include/meanflux")) {
        if (header.path().extension() != ".h")
            continue;
        std::stringstream lines(read_file(header.path()));
        for (std::string line; std::getline(lines, line);) {
            std::smatch match;
            if (!std::regex_search(line, match, declaration))
                continue;
            ++functions;
            const std::string name = match[2];
            EXPECT_NE(text.find(name + "("), std::string::npos) << name << " in the synopsis";
            EXPECT_NE(text.find("\\fB" + name + "\\fP()"), std::string::npos)
                << name << " described";
        }
    }
    EXPECT_GE(functions, 20);
    scratch_dir dir;
    const program_result groff =
        run_program("/usr/bin/groff", {"-man", "-ww", "-z", page.string()}, dir.path(), "");
    EXPECT_EQ(groff.status, 0);
    EXPECT_EQ(groff.err, "");
}

// What bash offers for the last of `words` typed after the command `name`, in `dir`, with the
// command's completion file loaded.
std::set<std::string> completed(const std::string& name, const std::vector<std::string>& words,
                                const fs::path& dir)
{
    std::string script = "source \"$0\" && COMP_WORDS=(" + name;
    for (const std::string& word : words)
        script += " '" + word + "'";
    script += ") && COMP_CWORD=" + std::to_string(words.size()) + " && $(complete -p " + name +
              " | sed 's/.*-F \\([^ ]*\\) .*/\\1/')" + " && printf '%s\\n' \"${COMPREPLY[@]}\"";
    const std::string file = (fs::path(MEANFLUX_COMPLETIONS_DIR) / name).string();
    const program_result r = run_program("/bin/bash", {"-c", script, file}, dir, "");
    EXPECT_EQ(r.status, 0) << name << " " << r.err;
    EXPECT_EQ(r.err, "") << name;
    std::set<std::string> offered;
    std::stringstream lines(r.out);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty())
            offered.insert(line);
    return offered;
}

TEST(EveryCommand, HasABashCompletionOfItsOptionsAndTheirArguments)
{
    scratch_dir dir;
    fs::create_directory(dir / "sub");
    std::ofstream(dir / "a.dat") << "x";
    const std::set<std::string> files{"a.dat", "sub"}, dirs{"sub"}, nothing{};
    for (const std::string& name : commands()) {
        const fs::path file = fs::path(MEANFLUX_COMPLETIONS_DIR) / name;
        const program_result syntax =
            run_program("/bin/bash", {"-n", file.string()}, dir.path(), "");
        EXPECT_EQ(syntax.status, 0) << name << " " << syntax.err;
        // "--" completes to the long options of the help's option list, no more, no fewer.
        const std::string help = run_command(name, {"--help"}, dir.path()).out;
        const std::size_t options = help.find("\noptions:\n");
        ASSERT_NE(options, std::string::npos) << name;
        const std::string list = help.substr(options, help.find("\n\n", options) - options);
        EXPECT_EQ(completed(name, {"--"}, dir.path()), long_options(list)) << name;
    }
    // An option's argument: directory names for a directory, file names for a file, nothing
    // for a year or a date; the operands likewise.
    const struct {
        const char* command;
        std::vector<std::string> words;
        std::set<std::string> offered;
    } cases[] = {
        {"meanflux", {"-C", ""}, dirs},
        {"meanflux", {"--directory", "=", ""}, dirs},
        {"meanflux", {""}, nothing},
        {"meanflux-build", {"-o", ""}, files},
        {"meanflux-build", {"--yearly", "s"}, dirs},
        {"meanflux-build", {"--from", ""}, nothing},
        {"meanflux-build", {"--", ""}, files},
        {"meanflux-combine", {"-o", "x.dat", ""}, files},
        {"meanflux-import", {"--to", ""}, nothing},
        {"meanflux-lookup", {"--file", "a"}, {"a.dat"}},
        {"meanflux-lookup", {"1980-01-01", ""}, nothing},
        {"meanflux-plot", {"-d", ""}, dirs},
    };
    for (const auto& c : cases)
        EXPECT_EQ(completed(c.command, c.words, dir.path()), c.offered)
            << c.command << " " << c.words.front();
}

TEST(EveryCommand, IsInstalledWithItsManualPageAndTheLicence)
{
    scratch_dir prefix;
    const program_result install =
        run_program(MEANFLUX_CMAKE,
                    {"--install", MEANFLUX_BUILD_DIR, "--prefix", prefix.path().string()},
                    prefix.path(),
                    "");
    ASSERT_EQ(install.status, 0) << install.err;
    for (const std::string& name : commands()) {
        EXPECT_TRUE(fs::is_regular_file(prefix / "bin" / name)) << name;
        const fs::path page = prefix / "share/man/man1" / (name + ".1");
        EXPECT_EQ(read_file(page), read_file(fs::path(MEANFLUX_MAN_DIR) / (name + ".1"))) << page;
        const fs::path completion = prefix / "share/bash-completion/completions" / name;
        EXPECT_EQ(read_file(completion), read_file(fs::path(MEANFLUX_COMPLETIONS_DIR) / name))
            << completion;
    }
    EXPECT_EQ(read_file(prefix / "share/man/man3/meanflux.3"),
              read_file(fs::path(MEANFLUX_MAN_DIR) / "meanflux.3"));
    for (const char* document : {"LICENSE", "README.md", "CHANGELOG.md"})
        EXPECT_EQ(read_file(prefix / "share/doc/meanflux" / document),
                  read_file(fs::path(MEANFLUX_SOURCE_DIR) / document))
            << document;
    EXPECT_NE(read_file(prefix / "share/doc/meanflux/LICENSE").find("BSD 3-Clause"),
              std::string::npos);
}

} // namespace
} // namespace meanflux::test
