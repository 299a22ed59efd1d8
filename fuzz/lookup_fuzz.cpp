// The record lookup on any file.  Input: two bytes that choose the date (around 1980), then the
// file's contents.
#include "fuzz_support.h"
#include "lookup/lookup_at.h"

#include <meanflux/meanflux.h>

#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace meanflux;
    if (size < 2)
        return 0;
    static const int fd = memfd_create("mean_flux.dat", 0);
    if (fd < 0 || ftruncate(fd, 0) != 0)
        fuzz::fail("no memory file");
    const std::size_t body = size - 2;
    if (body > 0 && pwrite(fd, data + 2, body, 0) != static_cast<ssize_t>(body))
        fuzz::fail("cannot fill the memory file");

    const int n = 10957 - 100 + (data[0] | data[1] << 8) % 800;
    const date_record& date = day_to_date(n);
    double values[14];
    for (int i = 0; i < 14; ++i)
        values[i] = -1000.0 - i;
    const int result = read_mean_flux_at(fd,
                                         static_cast<int>(date.day),
                                         static_cast<int>(date.month),
                                         static_cast<int>(date.year),
                                         values);
    if (result != 0 && result != -1 && result != 1 && result != -2)
        fuzz::fail("an unknown result");
    if (result != 0)
        for (int i = 0; i < 14; ++i)
            if (values[i] != -1000.0 - i)
                fuzz::fail("the caller's array was touched without a record");
    return 0;
}
