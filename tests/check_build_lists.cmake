# Fails when a C++ source under src/, tests/ or bench/ is named in no
# CMakeLists.txt: the build lists its sources by name, and a file left out
# of every list would silently not be built (a test never compiled never
# runs). A source deliberately not built is named in a comment of the
# CMakeLists beside it, saying why.
#   cmake -DTSL_SOURCE_DIR=<checkout> -P check_build_lists.cmake
# In a git checkout the files are git's (tracked and new, not ignored);
# elsewhere all the files found under the three folders.
cmake_minimum_required(VERSION 3.25)
if(NOT IS_DIRECTORY "${TSL_SOURCE_DIR}")
  message(FATAL_ERROR "check_build_lists: TSL_SOURCE_DIR '${TSL_SOURCE_DIR}' is not a folder")
endif()
set(folders src tests bench)

find_package(Git QUIET)
if(GIT_FOUND AND EXISTS "${TSL_SOURCE_DIR}/.git")
  execute_process(COMMAND ${GIT_EXECUTABLE} ls-files --cached --others --exclude-standard -- ${folders}
    WORKING_DIRECTORY "${TSL_SOURCE_DIR}" OUTPUT_VARIABLE files RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "check_build_lists: git ls-files failed in ${TSL_SOURCE_DIR}")
  endif()
  string(REPLACE "\n" ";" files "${files}")
else()
  set(files)
  foreach(folder ${folders})
    file(GLOB_RECURSE found RELATIVE "${TSL_SOURCE_DIR}" "${TSL_SOURCE_DIR}/${folder}/*")
    list(APPEND files ${found})
  endforeach()
endif()

set(sources ${files})
list(FILTER sources INCLUDE REGEX "\\.cpp$")
set(lists ${files})
list(FILTER lists INCLUDE REGEX "(^|/)CMakeLists\\.txt$")
list(APPEND lists CMakeLists.txt)

# Every name ending in .cpp in a CMakeLists counts, taken from the folder of
# that CMakeLists (or from the top, for names that start at a variable such
# as ${PROJECT_SOURCE_DIR}).
set(named)
foreach(list ${lists})
  if(NOT EXISTS "${TSL_SOURCE_DIR}/${list}")
    continue()
  endif()
  file(READ "${TSL_SOURCE_DIR}/${list}" text)
  get_filename_component(folder "${list}" DIRECTORY)
  string(REGEX MATCHALL "[A-Za-z0-9_./-]+\\.cpp" names "${text}")
  foreach(name ${names})
    string(REGEX REPLACE "^/+" "" name "${name}")
    cmake_path(APPEND folder "${name}" OUTPUT_VARIABLE path)
    cmake_path(NORMAL_PATH path)
    list(APPEND named "${path}" "${name}")
  endforeach()
endforeach()

set(unnamed)
foreach(source ${sources})
  if(NOT source IN_LIST named)
    list(APPEND unnamed "${source}")
  endif()
endforeach()
list(LENGTH sources count)
if(unnamed)
  list(JOIN unnamed "\n  " shown)
  message(FATAL_ERROR "Sources named in no CMakeLists.txt (add each to its list, or say in a "
    "comment beside it why it is not built):\n  ${shown}")
endif()
list(JOIN folders ", " shownFolders)
message(STATUS "All ${count} sources under ${shownFolders} are named in a CMakeLists.txt")
