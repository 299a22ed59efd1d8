#include <meanflux/calendar.h>

namespace meanflux {

namespace {
date_record last_date{}; // the calendar's one date record, overwritten by every call
} // namespace

const date_record& day_to_date(int n) noexcept
{
    last_date = civil_date(n);
    return last_date;
}

} // namespace meanflux
