# Every folder is one library; its sources are picked up by glob so that new
# files need no CMake edits.
function(kl_add_library name)
  cmake_parse_arguments(A "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
       ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  list(FILTER srcs EXCLUDE REGEX "/main\\.cpp$")
  set(has_cpp FALSE)
  foreach(s IN LISTS srcs)
    if(s MATCHES "\\.cpp$")
      set(has_cpp TRUE)
    endif()
  endforeach()
  if(has_cpp)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/kestrel)
    target_link_libraries(${name} PUBLIC ${A_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/kestrel)
    target_link_libraries(${name} INTERFACE ${A_DEPS})
  endif()
endfunction()

# One test executable per test source file, so a broken file does not take
# the others down with it.
function(kl_add_tests prefix)
  cmake_parse_arguments(A "" "" "DEPS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(t IN LISTS tests)
    get_filename_component(base ${t} NAME_WE)
    set(exe ${prefix}_${base})
    add_executable(${exe} ${t})
    target_link_libraries(${exe} PRIVATE kl_testsupport ${A_DEPS})
    add_test(NAME ${exe} COMMAND ${exe})
    set_tests_properties(${exe} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KL_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data;KL_BUILD_DIR=${PROJECT_BINARY_DIR}"
      TIMEOUT 600)
  endforeach()
endfunction()
