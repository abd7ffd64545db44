# The payload: the product files packed by pentaro-pack into ten scrambled RCDATA
# resources and a payload.rc, which PentaroSetup.rc includes. By default the product is
# the stand-in one that the build makes from resources/product/; a maker builds the real
# installer with -DPENTARO_PAYLOAD_MANIFEST=/path/to/manifest (docs/release.md).
include(ExternalProject)
include(${CMAKE_CURRENT_LIST_DIR}/product/standins.cmake)

set(PENTARO_RESOURCES_SOURCE_DIR ${CMAKE_CURRENT_SOURCE_DIR} CACHE INTERNAL "")
set(PENTARO_RESOURCES_BINARY_DIR ${CMAKE_CURRENT_BINARY_DIR} CACHE INTERNAL "")
set(PENTARO_STANDIN_DIR ${CMAKE_CURRENT_BINARY_DIR}/product CACHE INTERNAL
    "Where the build writes the stand-in product files (tarnw.exe and the others)")

# The packer and the generator must run on the build machine: build them natively, from
# this same tree, with the host compiler and without sanitizers.
set(host_tools ${CMAKE_BINARY_DIR}/host-tools)
set(PENTARO_PACK ${host_tools}/tools/pentaro-pack CACHE INTERNAL "")
set(PENTARO_INSPECT ${host_tools}/tools/pentaro-inspect CACHE INTERNAL "")
set(PENTARO_STANDIN_GENERATOR ${host_tools}/tools/pentaro-standin CACHE INTERNAL "")
set(PENTARO_ICON_MAKER ${host_tools}/tools/pentaro-icon CACHE INTERNAL "")
set(PENTARO_DEFLATER ${host_tools}/tools/pentaro-deflate CACHE INTERNAL "")
ExternalProject_Add(pentaro_host_tools
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${host_tools}
    CMAKE_ARGS -DPENTARO_TOOLS_ONLY=ON -DPENTARO_SANITIZE=OFF -DCMAKE_BUILD_TYPE=Release
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${host_tools} -j2
                  --target pentaro-pack pentaro-inspect pentaro-standin pentaro-icon
                           pentaro-deflate
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${PENTARO_PACK} ${PENTARO_INSPECT} ${PENTARO_STANDIN_GENERATOR}
                     ${PENTARO_ICON_MAKER} ${PENTARO_DEFLATER})

pentaro_add_standins(pentaro_standins OUTDIR ${PENTARO_STANDIN_DIR}
    GENERATOR ${PENTARO_STANDIN_GENERATOR}
    GENERATOR_DEPENDS ${PENTARO_STANDIN_GENERATOR} pentaro_host_tools
    CROSS_CXX ${CMAKE_CXX_COMPILER})

set(PENTARO_STANDIN_MANIFEST ${CMAKE_CURRENT_SOURCE_DIR}/product/manifest.txt CACHE INTERNAL "")
set(PENTARO_BIG_PAYLOAD_MANIFEST ${CMAKE_CURRENT_SOURCE_DIR}/product/manifest-big.txt
    CACHE INTERNAL "The stand-in product with a 48 MB knowledge base")
set(PENTARO_MIXED_PAYLOAD_MANIFEST ${CMAKE_CURRENT_SOURCE_DIR}/product/manifest-mixed.txt
    CACHE INTERNAL "The stand-in product with 48 MiB of text, noise and program bytes")

# _pentaro_pack(<target> <outdir> <manifest> [pentaro-pack options...])
# Adds, in the calling directory, the target that writes <outdir>/payload.rc and the
# <NAME>.bin files it names. Manifests of the stand-in product take their files from
# PENTARO_STANDIN_DIR (the large variants' large files from subfolders of it); any other
# manifest names files that lie in its own folder.
# The packer runs on every build and compares the files' bytes and dates with what it
# packed last (pack.stamp): a product file replaced by a copy that kept its old date is
# repacked, and unchanged files leave the outputs, and so the installer, as they are.
function(_pentaro_pack target outdir manifest)
    get_filename_component(manifest ${manifest} ABSOLUTE)
    get_filename_component(manifest_dir ${manifest} DIRECTORY)
    set(depends pentaro_host_tools)
    set(files)
    if(manifest_dir STREQUAL "${PENTARO_STANDIN_SOURCE_DIR}")
        set(files_dir ${PENTARO_STANDIN_DIR})
        list(APPEND depends pentaro_standins)
        if(manifest STREQUAL "${PENTARO_BIG_PAYLOAD_MANIFEST}")
            list(APPEND depends pentaro_standins_big)
            set(files --in-subfolders)
        elseif(manifest STREQUAL "${PENTARO_MIXED_PAYLOAD_MANIFEST}")
            list(APPEND depends pentaro_standins_mixed)
            set(files --in-subfolders)
        elseif(manifest MATCHES "/manifest-mixed([0-9]+)\\.txt$")
            list(APPEND depends pentaro_standins_mixed${CMAKE_MATCH_1})
            set(files --in-subfolders)
        endif()
    else()
        set(files_dir ${manifest_dir})
    endif()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${manifest})
    add_custom_target(${target}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${outdir}
        COMMAND ${PENTARO_PACK} --files ${files_dir} ${files} ${ARGN} ${manifest} ${outdir}
        BYPRODUCTS ${outdir}/payload.rc
        COMMENT "Packing the payload of ${manifest}"
        VERBATIM)
    add_dependencies(${target} ${depends})
endfunction()

if(PENTARO_PAYLOAD_MANIFEST)
    set(payload_manifest ${PENTARO_PAYLOAD_MANIFEST})
else()
    set(payload_manifest ${PENTARO_STANDIN_MANIFEST})
endif()
_pentaro_pack(pentaro_payload ${CMAKE_CURRENT_BINARY_DIR} ${payload_manifest})

# pentaro_resources is made after this file is read; attach the payload to it then.
function(_pentaro_attach_payload)
    add_dependencies(pentaro_resources pentaro_payload)
    set_property(SOURCE PentaroSetup.rc APPEND PROPERTY OBJECT_DEPENDS
                 ${CMAKE_CURRENT_BINARY_DIR}/payload.rc)
endfunction()
cmake_language(DEFER CALL _pentaro_attach_payload)

# pentaro_add_resources(<target> PAYLOAD_MANIFEST <manifest>
#                       [CORRUPT_ITEM <catalogue name>] [EMPTY_ITEM <catalogue name>]
#                       [SAME_NAME_ITEM <catalogue name>])
# Another object library of the installer's resources, like pentaro_resources but with
# the payload of <manifest>; CORRUPT_ITEM damages that item's zlib trailer (its load
# raises EDecompressionError "Error"), EMPTY_ITEM stores it with no contents (a read
# error in the installation run), SAME_NAME_ITEM stores it under the first item's file
# name in upper case (two items for one file, which the run refuses). For end-to-end tests, e.g. in tests/e2e:
#
#   pentaro_add_resources(resources_big PAYLOAD_MANIFEST ${PENTARO_BIG_PAYLOAD_MANIFEST})
#   pentaro_installer_executable(PentaroSetup-big resources_big)
#
#   pentaro_add_resources(resources_corrupt PAYLOAD_MANIFEST ${PENTARO_STANDIN_MANIFEST}
#                         CORRUPT_ITEM rs_kdb2)
#
# PENTARO_STANDIN_MANIFEST is the default stand-in product, PENTARO_BIG_PAYLOAD_MANIFEST
# the same with a 48 MB knowledge base (rs_kdb1, pentaro1.kdb) so that a Cancel during the
# write pass lands deterministically.
function(pentaro_add_resources target)
    cmake_parse_arguments(R "" "PAYLOAD_MANIFEST;CORRUPT_ITEM;EMPTY_ITEM;SAME_NAME_ITEM" ""
                          ${ARGN})
    if(NOT R_PAYLOAD_MANIFEST)
        message(FATAL_ERROR "pentaro_add_resources(${target}): PAYLOAD_MANIFEST is required")
    endif()
    set(options)
    set(damaged OFF)
    if(R_CORRUPT_ITEM)
        list(APPEND options --corrupt ${R_CORRUPT_ITEM})
    endif()
    if(R_EMPTY_ITEM)
        list(APPEND options --empty ${R_EMPTY_ITEM})
    endif()
    if(R_SAME_NAME_ITEM)
        list(APPEND options --same-name ${R_SAME_NAME_ITEM})
    endif()
    set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}-payload)
    _pentaro_pack(${target}_payload ${dir} ${R_PAYLOAD_MANIFEST} ${options})
    if(options)
        # Damaged on purpose: the build's load check leaves it alone.
        set(damaged ON)
    endif()

    set(rc ${PENTARO_RESOURCES_SOURCE_DIR}/PentaroSetup.rc)
    add_library(${target} OBJECT ${rc})
    set_property(TARGET ${target} PROPERTY PENTARO_DAMAGED_PAYLOAD ${damaged})
    # The variant's payload.rc comes first; everything else PentaroSetup.rc includes is
    # found where pentaro_resources finds it, and made before it (add_dependencies).
    target_include_directories(${target} PRIVATE ${dir} ${PENTARO_RESOURCES_SOURCE_DIR}
                               ${PENTARO_RESOURCES_BINARY_DIR})
    add_dependencies(${target} ${target}_payload pentaro_resources)
    set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${dir}/payload.rc
                 ${PENTARO_RESOURCES_SOURCE_DIR}/PentaroSetup.manifest ${PENTARO_ICON}
                 ${PENTARO_DEFLATED_RESOURCES})
endfunction()
