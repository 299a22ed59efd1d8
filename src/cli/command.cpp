#include "cli/command.h"

#include "cli/reports.h"
#include "io/output_file.h"
#include "io/same_file.h"
#include "meanflux_version.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <getopt.h>
#include <unistd.h>

namespace meanflux {

namespace {

// Ids of the options every command has.
constexpr int help_id = 'h';
constexpr int version_id = 999;

constexpr option_definition help_option{help_id, "help", nullptr, "show this help"};
constexpr option_definition version_option{version_id, "version", nullptr, "show the version"};

// The left column of an option's line: "-o, --output FILE" or "    --yearly DIR".
std::string flags_of(const option_definition& o)
{
    std::string flags = o.id < 128 ? std::string("-") + static_cast<char>(o.id) + ", " : "    ";
    flags.append("--").append(o.name);
    if (o.argument != nullptr)
        flags.append(" ").append(o.argument);
    return flags;
}

// Write `text` and report a standard output that did not take it.
int show(std::FILE* out, std::FILE* err, const char* program, const std::string& text)
{
    std::fputs(text.c_str(), out);
    return output_reached(out, err, program) ? exit_ok : exit_usage_or_file;
}

} // namespace

std::string usage_text(const command_definition& command)
{
    return std::string("usage: ") + command.usage + "\n";
}

std::string help_text(const command_definition& command)
{
    std::vector<option_definition> all(command.options.begin(), command.options.end());
    all.push_back(help_option);
    all.push_back(version_option);
    std::size_t width = 0;
    for (const option_definition& o : all)
        width = std::max(width, flags_of(o).size());
    std::string text = usage_text(command) + "\n" + command.description + "\noptions:\n";
    for (const option_definition& o : all) {
        std::string flags = flags_of(o);
        flags.resize(width + 2, ' ');
        const std::string_view help(o.help);
        for (std::size_t at = 0; at <= help.size();) {
            std::size_t end = help.find('\n', at);
            if (end == std::string_view::npos)
                end = help.size();
            text.append("  ").append(at == 0 ? flags : std::string(width + 2, ' '));
            text.append(help.substr(at, end - at)).append("\n");
            at = end + 1;
        }
    }
    text.append("\n");
    if (*command.notes != '\0')
        text.append(command.notes).append("\n");
    return text.append("exit status: ").append(command.exit_status);
}

ending read_command_line(int argc, char** argv, const command_definition& command, std::FILE* out,
                         std::FILE* err, command_line& line)
{
    std::vector<option> options;
    std::string letters;
    for (const option_definition& o : command.options) {
        options.push_back(
            {o.name, o.argument != nullptr ? required_argument : no_argument, nullptr, o.id});
        if (o.id < 128)
            letters.append(1, static_cast<char>(o.id)).append(o.argument != nullptr ? ":" : "");
    }
    options.push_back({help_option.name, no_argument, nullptr, help_id});
    options.push_back({version_option.name, no_argument, nullptr, version_id});
    options.push_back({nullptr, 0, nullptr, 0});
    letters += 'h';

    line = command_line{};
    optind = 0;
    for (int c; (c = getopt_long(argc, argv, letters.c_str(), options.data(), nullptr)) != -1;) {
        if (c == help_id)
            return show(out, err, command.program, help_text(command));
        if (c == version_id)
            return show(out,
                        err,
                        command.program,
                        std::string(command.program) + " (meanflux) " + meanflux_version + "\n");
        if (c == '?' || c == ':') {
            std::fputs(usage_text(command).c_str(), err);
            return exit_usage_or_file;
        }
        line.options.push_back({c, optarg});
    }
    for (int i = optind; i < argc; ++i)
        line.operands.push_back(argv[i]);
    return {};
}

int run_program(int argc, char** argv, const command_definition& command, program_body body)
{
    start_program();
    command_line line;
    if (const ending end = read_command_line(argc, argv, command, stdout, stderr, line))
        return *end;
    return body(line);
}

int usage_error(std::FILE* err, const command_definition& command, std::string_view problem)
{
    std::fprintf(err,
                 "%s: %.*s\n%s",
                 command.program,
                 static_cast<int>(problem.size()),
                 problem.data(),
                 usage_text(command).c_str());
    return exit_usage_or_file;
}

bool output_reached(std::FILE* out, std::FILE* err, const char* program, std::string_view note)
{
    errno = 0;
    if (std::fflush(out) == 0 && !std::ferror(out))
        return true;
    report_standard_output(err, program, errno != 0 ? errno : EIO, note);
    return false;
}

void start_program() noexcept
{
    // open takes the lowest free number, which is fd once the lower ones are open.
    for (int fd = 0; fd <= 2; ++fd)
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF)
            (void)::open("/dev/null", O_RDONLY);
    remove_output_on_signals();
}

ending refuse_same_files(std::FILE* err, const char* program, std::span<const std::string> inputs,
                         std::span<const std::string> outputs)
{
    std::vector<std::string> names(inputs.begin(), inputs.end());
    names.insert(names.end(), outputs.begin(), outputs.end());
    const std::vector<file_identity> all = identify_files(names);
    const std::span<const file_identity> read(all.data(), inputs.size());
    const std::span<const file_identity> written(all.data() + inputs.size(), outputs.size());
    for (std::size_t o = 0; o < outputs.size(); ++o) {
        if (outputs[o] == "-")
            continue;
        const auto refuse = [&](const char* kind, const std::string& other) {
            std::fprintf(err,
                         "%s: %s: the same file as the %s %s; nothing written\n",
                         program,
                         outputs[o].c_str(),
                         kind,
                         other.c_str());
            return exit_usage_or_file;
        };
        for (std::size_t i = 0; i < inputs.size(); ++i)
            if (same_file(written[o], read[i]))
                return refuse("input", inputs[i]);
        for (std::size_t other = 0; other < o; ++other)
            if (outputs[other] != "-" && same_file(written[o], written[other]))
                return refuse("output", outputs[other]);
    }
    return {};
}

range_status parse_date_range(std::string_view text, date_range& range) noexcept
{
    constexpr std::string_view separator = "..";
    const std::size_t dots = text.find(separator);
    calendar_period first{}, last{};
    if (dots == std::string_view::npos) {
        if (!parse_period(text, first))
            return range_status::not_a_date;
        last = first;
    } else if (!parse_period(text.substr(0, dots), first) ||
               !parse_period(text.substr(dots + separator.size()), last)) {
        return range_status::not_a_date;
    }
    if (last.last < first.first)
        return range_status::reversed;
    range = {first.first, last.last};
    return range_status::valid;
}

} // namespace meanflux
