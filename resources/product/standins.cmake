# Build rules of the stand-in product: the files that the installer carries when no
# real product files are given (see README, "Building an installer from the real
# product files").
#
# pentaro_add_standins(<target> OUTDIR <dir> [GENERATOR <exe>] [GENERATOR_DEPENDS <t...>]
#                      [CROSS_CXX <i686 mingw g++>])
# Adds custom target <target> that writes into OUTDIR:
#   tarnw.exe, pentaro.exe      real DOS programs assembled by nasm from *.asm here;
#   spool32.exe                 a Win32 console program cross-compiled from spool32.cpp
#                               (only when CROSS_CXX is given);
#   penta.ico, *.kdb, pentaro.hlp, readme.txt
#                               written by the native generator program GENERATOR
#                               (pentaro-standin, from standin.cpp here).
# The OUTDIR paths are stable: other build rules and tests refer to
# OUTDIR/tarnw.exe and the other names directly.
set(PENTARO_STANDIN_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR})

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

    add_custom_target(${target} ALL DEPENDS ${outputs})
endfunction()
