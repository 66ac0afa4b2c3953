# One interface, one file per OS: adds <stem>_windows.cpp or <stem>_posix.cpp
# to the target for each stem given.
#   brisendale_os_sources(brisendale_clock system_clock)
function(brisendale_os_sources target)
    if(WIN32)
        set(os windows)
    else()
        set(os posix)
    endif()
    foreach(stem IN LISTS ARGN)
        target_sources(${target} PRIVATE ${stem}_${os}.cpp)
    endforeach()
endfunction()
