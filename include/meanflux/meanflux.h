// Public interface of the meanflux library: day numbers of the calendar and, for programs that
// propagate orbits, the lookup of one day's solar flux and geomagnetic activity values.
#pragma once

#include <meanflux/calendar.h>
#include <meanflux/lookup.h>
