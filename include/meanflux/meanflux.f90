! The meanflux library for Fortran (2003 and later): interfaces, through ISO_C_BINDING, to the
! library's C functions (meanflux_c.h), under the same names and with the same arguments.
!
! Compile this file with the program that uses it.  Texts passed to the library end with
! c_null_char ('mean_flux.dat' // c_null_char).  A table is a type(c_ptr) that
! meanflux_table_load sets and meanflux_table_free releases; c_null_ptr is an empty table.
module meanflux
    use, intrinsic :: iso_c_binding, only: c_int, c_double, c_bool, c_char, c_ptr, c_size_t, &
                                            c_null_char, c_null_ptr, c_f_pointer
    implicit none
    private
    public :: c_null_char, c_null_ptr

    ! Results of the library's functions.
    integer(c_int), parameter, public :: meanflux_found = 0            ! the values are there
    integer(c_int), parameter, public :: meanflux_space_weather_partial = 2 ! shortened or predicted
    integer(c_int), parameter, public :: meanflux_no_record = 1        ! a record missing or empty
    integer(c_int), parameter, public :: meanflux_out_of_range = -1    ! outside the file's range
    integer(c_int), parameter, public :: meanflux_no_file = -2         ! no file, or empty table
    integer(c_int), parameter, public :: meanflux_no_memory = -3       ! no memory for a table

    ! Positions of a day's 14 values (from 1): 1..8 the eight three-hourly Kp, then these.
    integer, parameter, public :: meanflux_entry_kp_sum = 9      ! sum of the eight Kp
    integer, parameter, public :: meanflux_entry_ap = 10         ! daily Ap
    integer, parameter, public :: meanflux_entry_flux_obs = 11   ! flux at the Earth's distance
    integer, parameter, public :: meanflux_entry_flux_adj = 12   ! flux at 1 AU
    integer, parameter, public :: meanflux_entry_gauss_mean = 13 ! Gaussian centred mean, "J77"
    integer, parameter, public :: meanflux_entry_arith_mean = 14 ! arithmetic centred mean, "J70"

    ! The inputs of a density model at an instant, member for member those of the C++ library.
    type, bind(c), public :: meanflux_space_weather
        real(c_double) :: f107_obs_prev_day ! observed flux of the day before the epoch's day
        real(c_double) :: f107_adj_prev_day ! flux at 1 AU of that day
        real(c_double) :: f107_gauss_mean   ! the epoch's day's Gaussian centred mean
        real(c_double) :: f107_arith_mean   ! the epoch's day's arithmetic centred mean
        real(c_double) :: f107_obs_mean81   ! mean observed flux of the 81 days centred on it
        real(c_double) :: kp(8)             ! kp(1): the interval of the epoch; kp(i): 3(i-1) h before
        real(c_double) :: ap_daily          ! the epoch's day's Ap
        real(c_double) :: ap_history(7)     ! daily Ap; ap now, 3, 6, 9 h before; two means
        integer(c_int) :: mean81_days       ! days averaged in f107_obs_mean81
        logical(c_bool) :: predicted        ! some value comes from a predicted day
    end type meanflux_space_weather

    ! What to build from a source, as meanflux-build's --from, --to and --predictions say it.
    type, bind(c), public :: meanflux_build_options
        integer(c_int) :: from_year = 0          ! 0: the first year the source allows
        integer(c_int) :: to_year = 0            ! 0: the source's last year
        logical(c_bool) :: predictions = .false. ! CelesTrak's daily predictions
    end type meanflux_build_options
    integer(c_int), parameter, public :: meanflux_year_missing = 1 ! a year asked for is not there

    public :: read_mean_flux, meanflux_read_mean_flux_file, meanflux_day_number, &
              meanflux_parse_epoch, meanflux_result_text, meanflux_table_load, &
              meanflux_table_build, meanflux_build_files, &
              meanflux_table_days, meanflux_table_free, meanflux_find, &
              meanflux_space_weather_at, meanflux_result_string

    interface
        ! One day looked up in "mean_flux.dat" in the current directory.
        function read_mean_flux(day, month, year, values) bind(c, name='read_mean_flux')
            import :: c_int, c_double
            integer(c_int), value :: day, month, year
            real(c_double), intent(inout) :: values(14)
            integer(c_int) :: read_mean_flux
        end function read_mean_flux

        ! The same lookup in a combined mean-flux data file of any name.
        function meanflux_read_mean_flux_file(file_name, day, month, year, values) &
            bind(c, name='meanflux_read_mean_flux_file')
            import :: c_int, c_double, c_char
            character(kind=c_char), intent(in) :: file_name(*)
            integer(c_int), value :: day, month, year
            real(c_double), intent(inout) :: values(14)
            integer(c_int) :: meanflux_read_mean_flux_file
        end function meanflux_read_mean_flux_file

        ! Day number of a calendar date: days from 1 January 1950.
        function meanflux_day_number(day, month, year) bind(c, name='meanflux_day_number')
            import :: c_int
            integer(c_int), value :: day, month, year
            integer(c_int) :: meanflux_day_number
        end function meanflux_day_number

        ! An ISO 8601 UT epoch: 0 with its day number and seconds of the day, or -1.
        function meanflux_parse_epoch(text, day_number, seconds_of_day) &
            bind(c, name='meanflux_parse_epoch')
            import :: c_int, c_double, c_char
            character(kind=c_char), intent(in) :: text(*)
            integer(c_int), intent(inout) :: day_number
            real(c_double), intent(inout) :: seconds_of_day
            integer(c_int) :: meanflux_parse_epoch
        end function meanflux_parse_epoch

        ! A short text for a result, as a C string (meanflux_result_string gives it to Fortran).
        function meanflux_result_text(result) bind(c, name='meanflux_result_text')
            import :: c_int, c_ptr
            integer(c_int), value :: result
            type(c_ptr) :: meanflux_result_text
        end function meanflux_result_text

        ! Read a combined mean-flux data file into a new table.
        function meanflux_table_load(file_name, table) bind(c, name='meanflux_table_load')
            import :: c_int, c_char, c_ptr
            character(kind=c_char), intent(in) :: file_name(*)
            type(c_ptr), intent(out) :: table
            integer(c_int) :: meanflux_table_load
        end function meanflux_table_load

        ! Build in memory the table of the combined file meanflux-build would write from a
        ! source; message receives what meanflux-build would print, cut to message_size - 1
        ! characters and ended by c_null_char.
        function meanflux_table_build(source, options, table, message, message_size) &
                bind(c, name='meanflux_table_build')
            import :: c_int, c_char, c_ptr, c_size_t, meanflux_build_options
            character(kind=c_char), intent(in) :: source(*)
            type(meanflux_build_options), intent(in) :: options
            type(c_ptr), intent(out) :: table
            character(kind=c_char), intent(out) :: message(*)
            integer(c_size_t), value :: message_size
            integer(c_int) :: meanflux_table_build
        end function meanflux_table_build

        ! Write the files that meanflux-build writes: output (absent: none) and each year's
        ! <yyyy>_m.dat in yearly_dir (absent: none); error_number receives the errno value of an
        ! output that could not be written.  Names end with c_null_char.
        function meanflux_build_files(source, options, output, yearly_dir, message, &
                                      message_size, error_number) &
                bind(c, name='meanflux_build_files')
            import :: c_int, c_char, c_size_t, meanflux_build_options
            character(kind=c_char), intent(in) :: source(*)
            type(meanflux_build_options), intent(in) :: options
            character(kind=c_char), intent(in), optional :: output(*), yearly_dir(*)
            character(kind=c_char), intent(out) :: message(*)
            integer(c_size_t), value :: message_size
            integer(c_int), intent(out), optional :: error_number
            integer(c_int) :: meanflux_build_files
        end function meanflux_build_files

        ! First and last day numbers of a table and its last observed day.
        function meanflux_table_days(table, first_day, last_day, last_observed_day) &
            bind(c, name='meanflux_table_days')
            import :: c_int, c_ptr
            type(c_ptr), value :: table
            integer(c_int), intent(inout) :: first_day, last_day, last_observed_day
            integer(c_int) :: meanflux_table_days
        end function meanflux_table_days

        ! Release a table.
        subroutine meanflux_table_free(table) bind(c, name='meanflux_table_free')
            import :: c_ptr
            type(c_ptr), value :: table
        end subroutine meanflux_table_free

        ! One day looked up in a table.
        function meanflux_find(table, day, month, year, values) bind(c, name='meanflux_find')
            import :: c_int, c_double, c_ptr
            type(c_ptr), value :: table
            integer(c_int), value :: day, month, year
            real(c_double), intent(inout) :: values(14)
            integer(c_int) :: meanflux_find
        end function meanflux_find

        ! The density-model inputs at a day number and the seconds of that day (UT).
        function meanflux_space_weather_at(table, day_number, seconds_of_day, out) &
            bind(c, name='meanflux_space_weather_at')
            import :: c_int, c_double, c_ptr, meanflux_space_weather
            type(c_ptr), value :: table
            integer(c_int), value :: day_number
            real(c_double), value :: seconds_of_day
            type(meanflux_space_weather), intent(inout) :: out
            integer(c_int) :: meanflux_space_weather_at
        end function meanflux_space_weather_at

        function c_strlen(text) bind(c, name='strlen')
            import :: c_ptr, c_size_t
            type(c_ptr), value :: text
            integer(c_size_t) :: c_strlen
        end function c_strlen
    end interface

contains

    ! The text of a result of the library, as a Fortran string.
    function meanflux_result_string(result) result(text)
        integer(c_int), intent(in) :: result
        character(len=:), allocatable :: text
        type(c_ptr) :: c_text
        character(kind=c_char), pointer :: chars(:)
        integer :: i, n

        c_text = meanflux_result_text(result)
        n = int(c_strlen(c_text))
        call c_f_pointer(c_text, chars, [n])
        allocate (character(len=n) :: text)
        do i = 1, n
            text(i:i) = chars(i)
        end do
    end function meanflux_result_string
end module meanflux
