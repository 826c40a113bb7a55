# What a shipped binary in the suite folder gets: the oldest Windows it runs
# on in its PE header, and no debug information.  The debug information goes
# to build/symbols/<file>.debug and the binary keeps a debug link to it, so a
# crash in a shipped binary can still be read against the symbols.
#
# Run as a script (cmake -DFILE=... -P shipped.cmake) it prints a file's size.
if(CMAKE_SCRIPT_MODE_FILE)
    file(SIZE ${FILE} bytes)
    get_filename_component(name ${FILE} NAME)
    message("${name}: ${bytes} bytes")
    return()
endif()

set(VTPS_SYMBOLS_DIR ${CMAKE_BINARY_DIR}/symbols)
file(MAKE_DIRECTORY ${VTPS_SYMBOLS_DIR})
set(VTPS_SHIPPED_SCRIPT ${CMAKE_CURRENT_LIST_FILE})

# Windows 7 SP1 (6.1) is the oldest Windows the suite supports.
set(VTPS_WINDOWS_FLOOR_MAJOR 6)
set(VTPS_WINDOWS_FLOOR_MINOR 1)

function(vtps_shipped target)
    target_link_options(${target} PRIVATE
        -Wl,--major-os-version,${VTPS_WINDOWS_FLOOR_MAJOR} -Wl,--minor-os-version,${VTPS_WINDOWS_FLOOR_MINOR}
        -Wl,--major-subsystem-version,${VTPS_WINDOWS_FLOOR_MAJOR}
        -Wl,--minor-subsystem-version,${VTPS_WINDOWS_FLOOR_MINOR})
    set(binary $<TARGET_FILE:${target}>)
    set(symbols ${VTPS_SYMBOLS_DIR}/$<TARGET_FILE_NAME:${target}>.debug)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_OBJCOPY} --only-keep-debug ${binary} ${symbols}
        COMMAND ${CMAKE_STRIP} --strip-all ${binary}
        COMMAND ${CMAKE_OBJCOPY} --add-gnu-debuglink=${symbols} ${binary}
        COMMAND ${CMAKE_COMMAND} -DFILE=${binary} -P ${VTPS_SHIPPED_SCRIPT}
        VERBATIM)
endfunction()
