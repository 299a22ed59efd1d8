! A Fortran program of another project that uses the installed meanflux library through its
! Fortran module, as a propagator written in Fortran would: what the C++ consumer
! (examples/consumer) does, printed the same way.
!
!   consumer_fortran [FILE [YYYY-MM-DD [HH:MM:SS]]]
!
! FILE is the combined mean-flux file ("mean_flux.dat" in the current directory by default); the
! instant is 14 July 1980, 13:30:00 UT by default.
program consumer_fortran
    use, intrinsic :: iso_c_binding, only: c_int, c_double, c_ptr, c_null_char, c_null_ptr
    use, intrinsic :: iso_fortran_env, only: error_unit
    use meanflux
    implicit none

    character(len=4096) :: file, date_text, time_text
    integer(c_int) :: year = 1980, month = 7, day = 14, hour = 13, minute = 30, second = 0
    integer(c_int) :: n, found, loaded, result, i
    real(c_double) :: values(14), from_table(14), seconds
    type(c_ptr) :: table = c_null_ptr
    type(meanflux_space_weather) :: weather
    character(len=10) :: date
    integer :: status

    file = 'mean_flux.dat'
    if (command_argument_count() > 3) call usage()
    if (command_argument_count() > 0) call get_command_argument(1, file)
    if (command_argument_count() > 1) then
        call get_command_argument(2, date_text)
        read (date_text, '(i4, 1x, i2, 1x, i2)', iostat=status) year, month, day
        if (status /= 0) call usage()
    end if
    if (command_argument_count() > 2) then
        call get_command_argument(3, time_text)
        read (time_text, '(i2, 1x, i2, 1x, i2)', iostat=status) hour, minute, second
        if (status /= 0) call usage()
    end if

    n = meanflux_day_number(day, month, year)
    write (date, '(i4.4, "-", i2.2, "-", i2.2)') year, month, day
    print '(a, " is day ", i0, ", which is ", a)', date, n, date

    ! One lookup in the file itself: it opens and reads the file at every call.
    values = 0
    found = meanflux_read_mean_flux_file(trim(file) // c_null_char, day, month, year, values)
    if (found /= meanflux_found) then
        write (error_unit, '(a)') 'consumer_fortran: ' // trim(file) // ': no record of ' // date
        stop 1
    end if
    print '(a)', 'Kp sum ' // fixed(values(meanflux_entry_kp_sum), 1) // &
        ', Ap ' // fixed(values(meanflux_entry_ap), 0) // &
        ', F10.7 observed ' // fixed(values(meanflux_entry_flux_obs), 1) // &
        ', at 1 AU ' // fixed(values(meanflux_entry_flux_adj), 1) // &
        ', J77 ' // fixed(values(meanflux_entry_gauss_mean), 1) // &
        ', J70 ' // fixed(values(meanflux_entry_arith_mean), 1)

    ! The file loaded once, for a program that asks for many days.
    loaded = meanflux_table_load(trim(file) // c_null_char, table)
    if (loaded /= meanflux_found) then
        write (error_unit, '(a)') 'consumer_fortran: ' // trim(file) // ': cannot load: ' // &
            meanflux_result_string(loaded)
        stop 2
    end if
    from_table = 0
    ! The lookup first: Fortran may evaluate the operands of .or. in any order.
    found = meanflux_find(table, day, month, year, from_table)
    if (found /= meanflux_found .or. &
        any(from_table /= values .and. .not. (from_table /= from_table .and. values /= values))) then
        write (error_unit, '(a)') 'consumer_fortran: the table and the file disagree'
        stop 1
    end if
    print '(a)', 'the table of ' // trim(file) // ' gives the same values'

    ! The inputs of a density model at the instant.
    seconds = 3600.0_c_double * hour + 60.0_c_double * minute + second
    result = meanflux_space_weather_at(table, n, seconds, weather)
    call meanflux_table_free(table)
    if (result /= meanflux_found .and. result /= meanflux_space_weather_partial) then
        write (error_unit, '(a)') 'consumer_fortran: no density-model inputs at ' // date // &
            ': ' // meanflux_result_string(result)
        stop 1
    end if
    write (*, '(a, 1x, i2.2, ":", i2.2, ":", i2.2, " UT: ", a)') &
        'density-model inputs at ' // date, hour, minute, second, meanflux_result_string(result)
    print '(a)', '  F10.7 of the day before   observed ' // fixed(weather%f107_obs_prev_day, 1) // &
        ', at 1 AU ' // fixed(weather%f107_adj_prev_day, 1)
    write (*, '(a, i0, a)') '  F10.7 centred means       81-day ' // &
        fixed(weather%f107_obs_mean81, 2) // ' (', weather%mean81_days, ' days), J77 ' // &
        fixed(weather%f107_gauss_mean, 1) // ', J70 ' // fixed(weather%f107_arith_mean, 1)
    write (*, '(a)', advance='no') '  Kp, latest first          '
    do i = 1, 8
        write (*, '(a)', advance='no') ' ' // fixed(weather%kp(i), 1)
    end do
    print '(/, a)', '  Ap of the day             ' // fixed(weather%ap_daily, 0)
    write (*, '(a)', advance='no') '  ap history                '
    do i = 1, 7
        write (*, '(a)', advance='no') ' ' // significant3(weather%ap_history(i))
    end do
    if (weather%predicted) then
        print '(/, a)', '  from predicted days       yes'
    else
        print '(/, a)', '  from predicted days       no'
    end if

contains

    subroutine usage()
        write (error_unit, '(a)') 'usage: consumer_fortran [FILE [YYYY-MM-DD [HH:MM:SS]]]'
        stop 2
    end subroutine usage

    ! A value with a fixed number of decimals, rounded to nearest as C's "%.*f" rounds it.
    function fixed(x, decimals) result(text)
        real(c_double), intent(in) :: x
        integer, intent(in) :: decimals
        character(len=:), allocatable :: text
        character(len=64) :: buffer
        character(len=16) :: form

        if (x /= x) then
            text = 'nan'
            return
        end if
        write (form, '("(rn, f0.", i0, ")")') decimals
        write (buffer, form) x
        text = trim(adjustl(buffer))
        if (text(1:1) == '.') text = '0' // text
        if (text(1:2) == '-.') text = '-0' // text(2:)
        if (decimals == 0 .and. text(len(text):) == '.') text = text(:len(text) - 1)
    end function fixed

    ! A value with three significant digits and no trailing zeros, as C's "%.3g" writes values
    ! from 0.001 to 999.
    function significant3(x) result(text)
        real(c_double), intent(in) :: x
        character(len=:), allocatable :: text
        integer :: exponent

        if (x == 0) then
            text = '0'
            return
        end if
        exponent = floor(log10(abs(x)))
        text = fixed(x, max(0, 2 - exponent))
        if (index(text, '.') > 0) then
            do while (text(len(text):) == '0')
                text = text(:len(text) - 1)
            end do
            if (text(len(text):) == '.') text = text(:len(text) - 1)
        end if
    end function significant3
end program consumer_fortran
