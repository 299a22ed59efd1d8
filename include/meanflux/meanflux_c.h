/* The meanflux library for C (C99 and later) and for C++ programs that want C names: day
 * numbers, one day's solar flux and geomagnetic activity from the combined mean-flux data file,
 * the same from a table loaded once, and the inputs of a density model at an instant.
 *
 * Every function has C linkage and takes the parameters of the C++ function of the same name
 * (meanflux.h), in the same order; its results and notes are those of that function.  No
 * function throws; a failure to get memory is a result (MEANFLUX_NO_MEMORY). */
#ifndef MEANFLUX_MEANFLUX_C_H
#define MEANFLUX_MEANFLUX_C_H

#ifndef __cplusplus
#include <stdbool.h>
#endif
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Results of the library's functions: MEANFLUX_SPACE_WEATHER_PARTIAL, every value of
 * meanflux_space_weather_at, but from fewer than 81 days or from predicted days. */
#define MEANFLUX_FOUND 0                 /* the values are there */
#define MEANFLUX_SPACE_WEATHER_PARTIAL 2 /* every value, shortened or predicted */
#define MEANFLUX_NO_RECORD 1             /* a record needed is missing or holds no value */
#define MEANFLUX_OUT_OF_RANGE (-1)       /* the day lies outside the file's range */
#define MEANFLUX_NO_FILE (-2)            /* no file, no range in its header, or an empty table */
#define MEANFLUX_NO_MEMORY (-3)          /* the memory for a table could not be had */

/* Entries of the 14 values of a day: 0..7 the eight three-hourly Kp, then these. */
#define MEANFLUX_ENTRY_KP_SUM 8      /* sum of the eight Kp values */
#define MEANFLUX_ENTRY_AP 9          /* daily Ap */
#define MEANFLUX_ENTRY_FLUX_OBS 10   /* flux observed at the Earth's distance from the Sun (sfu) */
#define MEANFLUX_ENTRY_FLUX_ADJ 11   /* flux adjusted to 1 AU (sfu) */
#define MEANFLUX_ENTRY_GAUSS_MEAN 12 /* Gaussian centred mean flux, "J77" (sfu) */
#define MEANFLUX_ENTRY_ARITH_MEAN 13 /* arithmetic centred mean flux, "J70" (sfu) */

/* One day looked up in "mean_flux.dat" in the current directory: the library's first function,
 * with the name and signature its C callers have always linked against.  Results 0, -1, 1, -2;
 * values changed only when the result is 0. */
int read_mean_flux(int day, int month, int year, double values[14]);

/* The same lookup in a combined mean-flux data file of any name. */
int meanflux_read_mean_flux_file(const char* file_name, int day, int month, int year,
                                 double values[14]);

/* Day number of a calendar date: days from 1 January 1950 (day 0). */
int meanflux_day_number(int day, int month, int year);

/* An epoch written in ISO 8601 UT (2026-05-01, 2026-05-01T06:30, 2026-05-01T06:30:15.25Z),
 * given as a NUL-terminated text.  0, or MEANFLUX_OUT_OF_RANGE (-1) for a text that is not such
 * an epoch (a null text among them); day_number and seconds_of_day are set only on 0. */
int meanflux_parse_epoch(const char* text, int* day_number, double* seconds_of_day);

/* A short text for a result of the library, never null: "found", "outside the file's range"... */
const char* meanflux_result_text(int result);

/* A combined mean-flux data file held in memory.  Any number of threads may look days up in one
 * table at once; a null table is an empty table (every lookup gives MEANFLUX_NO_FILE). */
typedef struct meanflux_table meanflux_table;

/* Read a combined mean-flux data file into a new table.  0 with *table set; otherwise
 * MEANFLUX_NO_FILE or MEANFLUX_NO_MEMORY and *table null.  Free the table with
 * meanflux_table_free. */
int meanflux_table_load(const char* file_name, meanflux_table** table);

/* What to build from a source, as meanflux-build's --from, --to and --predictions say it. */
typedef struct meanflux_build_options {
    int from_year;    /* 0: the first year the source allows */
    int to_year;      /* 0: the source's last year */
    bool predictions; /* CelesTrak's daily predictions after the last observed day */
} meanflux_build_options;

/* Result of meanflux_table_build when a year asked for is not in the source. */
#define MEANFLUX_YEAR_MISSING 1

/* Build in memory the table of the combined file that meanflux-build would write from a GFZ
 * file, a CelesTrak file or a directory of yearly daily index files.  0 with *table set;
 * otherwise MEANFLUX_YEAR_MISSING, MEANFLUX_NO_FILE (the source cannot be read, breaks its
 * format, or holds no predictions when they are asked for) or MEANFLUX_NO_MEMORY, and *table
 * null.  A null options is every option at its default.  message, unless null, receives what
 * meanflux-build would print about the source, cut to message_size - 1 characters and ended by
 * NUL ("" when nothing).  Free the table with meanflux_table_free. */
int meanflux_table_build(const char* source, const meanflux_build_options* options,
                         meanflux_table** table, char* message, size_t message_size);

/* Write the files that meanflux-build writes, byte for byte: the combined file output and, when
 * yearly_dir is not null, each year's <yyyy>_m.dat in that directory (made if missing); a null
 * output writes no combined file.  0 written; MEANFLUX_YEAR_MISSING (a year not in the source,
 * or years that cannot be built into the files asked for); MEANFLUX_NO_FILE (the source cannot
 * be read or breaks its format, an output is a file read or another output, or an output could
 * not be written: then *error_number, unless null, receives its errno value, else 0).  On any
 * failure no file is replaced and no temporary file stays.  message as for
 * meanflux_table_build.  No signal handler is installed. */
int meanflux_build_files(const char* source, const meanflux_build_options* options,
                         const char* output, const char* yearly_dir, char* message,
                         size_t message_size, int* error_number);

/* First and last day numbers of a table and its last observed day (its last day when the file
 * holds no predictions).  0, or MEANFLUX_NO_FILE for an empty table, the numbers untouched. */
int meanflux_table_days(const meanflux_table* table, int* first_day, int* last_day,
                        int* last_observed_day);

/* Release a table; a null table is left alone. */
void meanflux_table_free(meanflux_table* table);

/* One day looked up in a table: exactly what meanflux_read_mean_flux_file gave for it on the
 * table's file when it was loaded. */
int meanflux_find(const meanflux_table* table, int day, int month, int year, double values[14]);

/* The inputs of a density model at an instant, as the C++ struct space_weather holds them. */
typedef struct meanflux_space_weather {
    double f107_obs_prev_day; /* observed flux of the day before the epoch's day */
    double f107_adj_prev_day; /* flux at 1 AU of that day */
    double f107_gauss_mean;   /* the epoch's day's Gaussian centred mean */
    double f107_arith_mean;   /* the epoch's day's arithmetic centred mean */
    double f107_obs_mean81;   /* mean observed flux of the 81 days centred on the epoch's day */
    double kp[8];             /* kp[0]: the interval holding the epoch; kp[i]: 3i hours earlier */
    double ap_daily;          /* the epoch's day's Ap */
    double ap_history[7];     /* daily Ap; ap now, 3, 6, 9 hours before; means of 12-33, 36-57 */
    int mean81_days;          /* days averaged in f107_obs_mean81: 81, fewer at the table's edges */
    bool predicted;           /* some value comes from a day after the last observed day */
} meanflux_space_weather;

/* The density-model inputs at day_number (days from 1 January 1950) and seconds_of_day (UT):
 * 0 or MEANFLUX_SPACE_WEATHER_PARTIAL with *out filled; -1, 1 or -2 with *out untouched. */
int meanflux_space_weather_at(const meanflux_table* table, int day_number, double seconds_of_day,
                              meanflux_space_weather* out);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* MEANFLUX_MEANFLUX_C_H */
