# Fails the build when the linker dropped the call thunk of a delay-loaded function while
# keeping its import slot: GNU ld discards the thunk of a function that is only called
# through its __imp_ pointer (a declaration with dllimport), and the slot then holds 0, so
# the first call would jump to address 0.
#   cmake -DMAP=<link map> -DDELAY_DIR=<folder of the delay libraries, as the link named it>
#         -P delay_imports_check.cmake
# It also fails when the link took no delay library at all (the system's own import
# libraries found first): the installer would then load those DLLs at start.
cmake_minimum_required(VERSION 3.25)
file(READ ${MAP} map)
string(FIND "${map}" "${DELAY_DIR}/libuser32.a(" linked)
if(linked LESS 0)
    message(FATAL_ERROR "${MAP}: the link took no delay-load library from ${DELAY_DIR}")
endif()
string(FIND "${map}" "Discarded input sections" start)
string(FIND "${map}" "Memory Configuration" end)
if(start LESS 0 OR end LESS start)
    message(FATAL_ERROR "${MAP}: no list of discarded input sections")
endif()
math(EXPR length "${end} - ${start}")
string(SUBSTRING "${map}" ${start} ${length} discarded)
string(REGEX MATCHALL "\\.text[^\n]*0x[0-9a-f]+[ \t]+0x0*[1-9a-f][0-9a-f]*[ \t]+${DELAY_DIR}/[^\n]+"
       dropped "${discarded}")
if(dropped)
    list(JOIN dropped "\n" dropped)
    message(FATAL_ERROR "Delay-load thunks dropped by the linker (a function declared "
        "with dllimport?):\n${dropped}")
endif()
