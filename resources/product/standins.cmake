# Build rules of the stand-in product: the files that the installer carries when no
# real product files are given (see docs/release.md, "Building an installer from the real
# product files").
#
# pentaro_add_standins(<target> OUTDIR <dir> GENERATOR <exe> [GENERATOR_DEPENDS <t...>]
#                      [CROSS_CXX <i686 mingw g++>])
# Adds custom target <target> that writes into OUTDIR:
#   tarnw.exe, pentaro.exe      real DOS programs assembled by nasm from *.asm here;
#   spool32.exe                 a Win32 console program cross-compiled from spool32.cpp
#                               (only when CROSS_CXX is given);
#   penta.ico, *.kdb, pentaro.hlp, readme.txt
#                               written by the native generator program GENERATOR
#                               (pentaro-standin, from standin.cpp here).
# and, only for target <target>_big, OUTDIR/big/pentaro1.kdb (48 MB) for manifest-big.txt;
# only for target <target>_mixed, the three large files of manifest-mixed.txt in
# OUTDIR/mixed (text, noise and a program-like file, 48 MiB together); only for target
# <target>_mixed<N> (N 10, 200, 500), the same files scaled to a product of about N MB in
# OUTDIR/mixed<N>, for manifest-mixed<N>.txt.
# The OUTDIR paths are stable: other build rules and tests refer to
# OUTDIR/tarnw.exe and the other names directly.
set(PENTARO_STANDIN_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE INTERNAL "")

function(pentaro_add_standins target)
    cmake_parse_arguments(S "" "OUTDIR;GENERATOR;CROSS_CXX" "GENERATOR_DEPENDS" ${ARGN})
    set(src ${PENTARO_STANDIN_SOURCE_DIR})
    set(out ${S_OUTDIR})
    file(MAKE_DIRECTORY ${out})
    find_program(PENTARO_NASM nasm REQUIRED)

    set(outputs)
    foreach(prog tarnw pentaro)
        add_custom_command(OUTPUT ${out}/${prog}.exe
            COMMAND ${PENTARO_NASM} -f bin -I ${src}/ -o ${out}/${prog}.exe ${src}/${prog}.asm
            DEPENDS ${src}/${prog}.asm ${src}/mz.inc
            COMMENT "Assembling the DOS stand-in ${prog}.exe"
            VERBATIM)
        list(APPEND outputs ${out}/${prog}.exe)
    endforeach()

    set(data penta.ico pentaro1.kdb pentaro2.kdb pentaro.hlp kdbv4.kdb kdbv4add.kdb readme.txt)
    list(TRANSFORM data PREPEND ${out}/)
    add_custom_command(OUTPUT ${data}
        COMMAND ${S_GENERATOR} ${out}
        DEPENDS ${S_GENERATOR_DEPENDS}
        COMMENT "Writing the stand-in data files and icon"
        VERBATIM)
    list(APPEND outputs ${data})

    if(S_CROSS_CXX)
        # Built like the installer: static, stripped, no time stamp, so the same source
        # gives the same bytes.
        add_custom_command(OUTPUT ${out}/spool32.exe
            COMMAND ${S_CROSS_CXX} -std=c++20 -Os -s -static -ffunction-sections
                    -fdata-sections -Wl,--gc-sections -Wl,--no-insert-timestamp
                    -o ${out}/spool32.exe ${src}/spool32.cpp -lwinspool
            DEPENDS ${src}/spool32.cpp
            COMMENT "Cross-compiling the stand-in spool32.exe"
            VERBATIM)
        list(APPEND outputs ${out}/spool32.exe)
    endif()
    # Made by every build that tests; a release build of a maker's product makes them only
    # if something asks for them.
    if(PENTARO_TESTS)
        set(all ALL)
    endif()
    add_custom_target(${target} ${all} DEPENDS ${outputs})

    # The long-write-pass knowledge base of manifest-big.txt, made only when a build asks
    # for target <target>_big.
    add_custom_command(OUTPUT ${out}/big/pentaro1.kdb
        COMMAND ${CMAKE_COMMAND} -E make_directory ${out}/big
        COMMAND ${S_GENERATOR} --big ${out}/big/pentaro1.kdb 48
        DEPENDS ${S_GENERATOR_DEPENDS}
        COMMENT "Writing the 48 MB stand-in knowledge base"
        VERBATIM)
    add_custom_target(${target}_big DEPENDS ${out}/big/pentaro1.kdb)

    set(mixed pentaro1.kdb pentaro2.kdb spool32.exe)
    list(TRANSFORM mixed PREPEND ${out}/mixed/)
    add_custom_command(OUTPUT ${mixed}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${out}/mixed
        COMMAND ${S_GENERATOR} --mixed ${out}/mixed
        DEPENDS ${S_GENERATOR_DEPENDS}
        COMMENT "Writing the large files of the mixed 50 MB payload"
        VERBATIM)
    add_custom_target(${target}_mixed DEPENDS ${mixed})

    # The products of 10, 200 and 500 MB: the large files take what the small ones leave.
    foreach(size 10 200 500)
        math(EXPR mib "(${size} * 1000000 - 262144) / 1048576")
        set(files pentaro1.kdb pentaro2.kdb spool32.exe)
        list(TRANSFORM files PREPEND ${out}/mixed${size}/)
        add_custom_command(OUTPUT ${files}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${out}/mixed${size}
            COMMAND ${S_GENERATOR} --mixed ${out}/mixed${size} ${mib}
            DEPENDS ${S_GENERATOR_DEPENDS}
            COMMENT "Writing the large files of the mixed ${size} MB payload"
            VERBATIM)
        add_custom_target(${target}_mixed${size} DEPENDS ${files})
    endforeach()
endfunction()
