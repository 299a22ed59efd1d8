// The files of a build written out: each year's <yyyy>_m.dat into a directory when asked for,
// then the combined file, all or nothing.  meanflux-build and build_mean_flux_files write them
// by this one code.
#pragma once

#include "table_build/from_source.h"

#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace meanflux {

// One output of a build: a yearly file or the combined file.
struct build_output {
    std::string path;
    std::string_view bytes; // within the built years' block
    int days = 0;           // records it holds
};

// The outputs that a build's block holds.
//
// Given:    built       the years computed (the combined file's header is written into its block)
//           output      the combined file; null for none
//           yearly_dir  the directory of the yearly files; null for none
// Returns:  each year's file when yearly_dir is given, then the combined file when output is
//           given and the years reach 1950 or later.
[[nodiscard]] std::vector<build_output> build_outputs_of(built_years& built, const char* output,
                                                         const char* yearly_dir);

// Refuse outputs that are a file read (the source, a directory's yearly files) or another
// output.
//
// Given:    request  the source
//           built    the years read
//           outputs  from build_outputs_of
//           err      where the refusal goes, in meanflux-build's words
// Returns:  true when an output is refused: nothing may then be written.
[[nodiscard]] bool refuse_build_overlaps(const build_request& request, const built_years& built,
                                         std::span<const build_output> outputs, std::FILE* err);

// Write the outputs.
//
// Given:    yearly_dir  the directory of the yearly files (made if missing, and removed again
//                       when no file takes its name in it); null for none
//           outputs     from build_outputs_of
//           err         where the reason of a failure goes, in meanflux-build's words
// Returns:  0 written, or the errno value of the step that failed.
// Notes:    Every file is written in full under a temporary name before any takes its name; on
//           a failure every temporary file is removed.  No signal handler is installed here: a
//           program that wants its temporary files removed on a signal sets that up itself.
[[nodiscard]] int write_build_outputs(const char* yearly_dir, std::span<const build_output> outputs,
                                      std::FILE* err);

} // namespace meanflux
