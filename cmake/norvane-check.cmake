# The version, written once in project(), for the version resource, norvane-check --version and
# the release's name; beside it the commit the build comes from.
include("${CMAKE_SOURCE_DIR}/cmake/norvane-commit.cmake")
set(NORVANE_GENERATED "${CMAKE_BINARY_DIR}/generated")
configure_file("${CMAKE_SOURCE_DIR}/cmake/norvane_version.h.in" "${NORVANE_GENERATED}/norvane_version.h" @ONLY)
if(TARGET Norvane)
  target_include_directories(Norvane PRIVATE "${NORVANE_GENERATED}")
endif()

# norvane-check: the package author's checker and dry run, reading lists through norvane_core.
file(GLOB NORVANE_CHECK_SOURCES CONFIGURE_DEPENDS "${SRC}/check/*.cpp")
list(REMOVE_ITEM NORVANE_CHECK_SOURCES "${SRC}/check/CheckMain.cpp")

add_library(norvane_check STATIC ${NORVANE_CHECK_SOURCES})
target_include_directories(norvane_check PUBLIC "${NORVANE_GENERATED}")
norvane_target_settings(norvane_check)
target_link_libraries(norvane_check PUBLIC norvane_core)

add_executable(norvane-check "${SRC}/check/CheckMain.cpp")
norvane_target_settings(norvane-check)
target_link_libraries(norvane-check PRIVATE norvane_check)
if(MINGW)
  target_sources(norvane-check PRIVATE resources/norvane-check.rc)
  target_include_directories(norvane-check PRIVATE "${NORVANE_GENERATED}")
  target_link_options(norvane-check PRIVATE $<$<CONFIG:Release>:-s>)
elseif(NOT WIN32 AND CMAKE_BUILD_TYPE STREQUAL "Release")
  # The release's Linux checker runs on machines without this compiler's C++ runtime.
  target_link_options(norvane-check PRIVATE -static-libstdc++ -static-libgcc -s)
endif()
