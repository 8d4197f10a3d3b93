# The bodies of the fuzz targets, shared by the fuzz build (fuzz/CMakeLists.txt) and the
# ordinary test run, which replays the saved inputs of fuzz/regressions/ through them. The
# texture decoder's C face is compiled in, so ParseBlpData is called as programs call it.
if(NOT TARGET quorvel_fuzz_entries)
  add_library(quorvel_fuzz_entries STATIC
    ${CMAKE_CURRENT_LIST_DIR}/entry_points.cpp
    ${PROJECT_SOURCE_DIR}/texture/src/exports.cpp)
  target_include_directories(quorvel_fuzz_entries PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(quorvel_fuzz_entries
    PUBLIC vantrel_core ostrak_core gamedata quorvel_services
    PRIVATE quorvel_warnings)
endif()
