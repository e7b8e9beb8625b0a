# The commit the build comes from, for norvane-check --version, the version resources, the log's
# first line and the release's README: NORVANE_COMMIT from the environment when set (a copy of
# the tree without its history, as the release's source archive is), else the checkout's HEAD,
# else "unknown". Always the first 12 digits of the hash: git's own short form grows with the
# number of objects in a clone, and two clones of one commit must build the same bytes.
# A build from a tree with changes not committed names its commit all the same.
set(NORVANE_COMMIT "unknown")
if(DEFINED ENV{NORVANE_COMMIT})
  set(NORVANE_COMMIT "$ENV{NORVANE_COMMIT}")
  if(NOT NORVANE_COMMIT MATCHES "^[0-9A-Za-z._+-]+$")
    message(FATAL_ERROR "NORVANE_COMMIT must be letters, digits and . _ + -: \"${NORVANE_COMMIT}\"")
  endif()
else()
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND "${GIT_EXECUTABLE}" rev-parse --show-toplevel HEAD
                            --git-path HEAD --git-path logs/HEAD
                    WORKING_DIRECTORY "${CMAKE_SOURCE_DIR}"
                    OUTPUT_VARIABLE git_answer OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE git_failed ERROR_QUIET)
    string(REPLACE "\n" ";" git_answer "${git_answer}")
    list(LENGTH git_answer git_lines)
    if(NOT git_failed AND git_lines EQUAL 4)
      list(GET git_answer 0 git_top)
      file(REAL_PATH "${git_top}" git_top)
      file(REAL_PATH "${CMAKE_SOURCE_DIR}" source_top)
      # A tree unpacked inside another checkout is not that checkout's commit.
      if(git_top STREQUAL source_top)
        list(GET git_answer 1 git_head)
        string(SUBSTRING "${git_head}" 0 12 NORVANE_COMMIT)
        # A commit or a checkout moves HEAD (or its log): configure again then, so a build
        # never names a commit it is not built from.
        foreach(index 2 3)
          list(GET git_answer ${index} git_file)
          get_filename_component(git_file "${git_file}" ABSOLUTE BASE_DIR "${CMAKE_SOURCE_DIR}")
          if(EXISTS "${git_file}")
            set_property(DIRECTORY "${CMAKE_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${git_file}")
          endif()
        endforeach()
      endif()
    endif()
  endif()
endif()
