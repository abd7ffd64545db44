# The payload: the stand-in product (or the maker's real files), packed into ten
# scrambled RCDATA resources and a payload.rc that PentaroSetup.rc includes.
include(${CMAKE_CURRENT_LIST_DIR}/product/standins.cmake)

pentaro_add_standins(pentaro_standins OUTDIR ${CMAKE_CURRENT_BINARY_DIR}/product)
