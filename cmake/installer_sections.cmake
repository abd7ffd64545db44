# The installer's sections. The file alignment is 4 KB (CMakeLists.txt), so each section
# costs at least a page of the download. The C runtime's start-up tables (.CRT) and its
# thread-local template (.tls) hold a few dozen bytes each: they go into .data instead.
# The script is the linker's own default with just that change, so that everything else
# stays laid out as the linker does it; .tls leads .data, as SECREL32 offsets to
# thread-local data count from the start of their section.
# Sets PENTARO_INSTALLER_LINKER_SCRIPT.
set(_out ${CMAKE_BINARY_DIR}/installer-sections.ld)
execute_process(COMMAND ${CMAKE_LINKER} --verbose OUTPUT_VARIABLE _verbose
                RESULT_VARIABLE _status)
string(FIND "${_verbose}" "\n=====" _begin)
if(NOT _status EQUAL 0 OR _begin EQUAL -1)
    message(FATAL_ERROR "${CMAKE_LINKER} --verbose gave no default linker script")
endif()
# The script lies between two lines of equals signs.
math(EXPR _begin "${_begin} + 1")
string(SUBSTRING "${_verbose}" ${_begin} -1 _script)
string(FIND "${_script}" "\n" _line)
math(EXPR _line "${_line} + 1")
string(SUBSTRING "${_script}" ${_line} -1 _script)
string(FIND "${_script}" "\n=====" _end)
string(SUBSTRING "${_script}" 0 ${_end} _script)

# _pentaro_cut_section(<name> <inner>): removes the output section <name> from _script and
# gives what its braces held.
function(_pentaro_cut_section name inner)
    set(head "  ${name} BLOCK(__section_alignment__) :\n  {")
    string(FIND "${_script}" "${head}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "The linker's default script has no ${name} section as expected")
    endif()
    string(SUBSTRING "${_script}" ${at} -1 rest)
    string(FIND "${rest}" "\n  }\n" close)
    string(LENGTH "${head}" headLength)
    math(EXPR innerLength "${close} - ${headLength}")
    string(SUBSTRING "${rest}" ${headLength} ${innerLength} body)
    math(EXPR skip "${close} + 5")
    string(SUBSTRING "${rest}" ${skip} -1 after)
    string(SUBSTRING "${_script}" 0 ${at} before)
    set(_script "${before}${after}" PARENT_SCOPE)
    set(${inner} "${body}" PARENT_SCOPE)
endfunction()

_pentaro_cut_section(.CRT _crt)
_pentaro_cut_section(.tls _tls)
_pentaro_cut_section(.data _data)
# The dynamic TLS initialisers (.CRT$XDA ... $XDZ) are not named in the default script:
# left alone, they would make a .CRT section of their own.
set(_data "  .data BLOCK(__section_alignment__) :\n  {${_tls}${_data}\n    . = ALIGN(4);${_crt}\n    KEEP (*(SORT(.CRT$XD*)))\n  }\n")
string(FIND "${_script}" "  .rdata BLOCK(__section_alignment__) :" _rdata)
if(_rdata EQUAL -1)
    message(FATAL_ERROR "The linker's default script has no .rdata section as expected")
endif()
string(SUBSTRING "${_script}" 0 ${_rdata} _before)
string(SUBSTRING "${_script}" ${_rdata} -1 _after)
file(WRITE ${_out}.tmp "${_before}${_data}${_after}")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different ${_out}.tmp ${_out})
file(REMOVE ${_out}.tmp)
set(PENTARO_INSTALLER_LINKER_SCRIPT ${_out})
