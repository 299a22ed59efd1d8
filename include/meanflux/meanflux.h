// Public interface of the meanflux library: day numbers of the calendar and, for programs that
// propagate orbits, one day's solar flux and geomagnetic activity values from the combined
// mean-flux data file, looked up in the file itself or in a table loaded from it, and the inputs
// of a density model at an instant.
#pragma once

#include <meanflux/calendar.h>
#include <meanflux/lookup.h>
#include <meanflux/space_weather.h>
#include <meanflux/table.h>
#include <meanflux/table_build.h>
#include <meanflux/values.h>
