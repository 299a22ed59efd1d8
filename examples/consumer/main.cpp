// Uses the installed meanflux library: day numbers of dates and dates of day numbers.
#include <meanflux/meanflux.h>

#include <cstdio>

int main()
{
    const int first = meanflux::day_number(1, 1, 1980);
    const meanflux::date_record& date = meanflux::day_to_date(first + 59);
    std::printf("1 January 1980 is day %d; day %d is %02.0f-%02.0f-%04.0f\n",
                first,
                first + 59,
                date.day,
                date.month,
                date.year);
    // 29 February 1980 is the 60th day of the year.
    return first == 10957 && date.day == 29.0 && date.month == 2.0 ? 0 : 1;
}
